// Portable interface to the process environment.
#pragma once

#include <string>

namespace platform {

/// The value of an environment variable; false when it is not set. Names
/// compare as the operating system compares them.
bool environmentVariable(const std::string& name, std::string& value);

}  // namespace platform
