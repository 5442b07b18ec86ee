// Win32 backend only: the process environment.
#include "platform/environment.h"

#include <cstdlib>

#include "platform/host.h"

namespace platform::host {

bool environmentVariable(const std::string& name, std::string& value) {
  if (name.empty()) return false;
  const char* raw = std::getenv(name.c_str());
  if (raw == nullptr) return false;
  value = raw;
  return true;
}

}  // namespace platform::host
