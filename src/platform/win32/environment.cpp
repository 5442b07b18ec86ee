// Win32 backend only: the process environment.
#include "platform/environment.h"

#include <cstdlib>

namespace platform {

bool environmentVariable(const std::string& name, std::string& value) {
  if (name.empty()) return false;
  const char* raw = std::getenv(name.c_str());
  if (raw == nullptr) return false;
  value = raw;
  return true;
}

}  // namespace platform
