// POSIX backend only: the process environment, with a POSIX PATH presented
// as the Windows list the emulated machine would have.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/environment.h"
#include "platform/posix/machine.h"

namespace platform {
namespace {

std::string windowsPathList(const std::string& posixList) {
  const posix::Machine& machine = posix::Machine::current();
  std::string result;
  std::size_t start = 0;
  while (start <= posixList.size()) {
    std::size_t end = posixList.find(':', start);
    if (end == std::string::npos) end = posixList.size();
    std::string entry = posixList.substr(start, end - start);
    if (!entry.empty()) {
      if (!result.empty()) result += ';';
      result += machine.windowsPathOf(entry);
    }
    start = end + 1;
  }
  return result;
}

}  // namespace

bool environmentVariable(const std::string& name, std::string& value) {
  if (name.empty() || name.find('=') != std::string::npos) return false;
  const char* raw = std::getenv(name.c_str());
  if (raw == nullptr) return false;
  value = raw;
  if (name == "PATH" && value.find(';') == std::string::npos &&
      value.find('\\') == std::string::npos) {
    value = windowsPathList(value);
  }
  return true;
}

}  // namespace platform
