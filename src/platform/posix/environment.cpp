// POSIX backend only: the process environment, its names compared ignoring
// case as Windows compares them, with a POSIX PATH presented as the Windows
// list the emulated machine would have. A snapshot's `environment` file,
// when there is one, is the whole environment instead.
#include "platform/environment.h"

#include <cstring>
#include <string>

#include "platform/ascii.h"
#include "platform/host.h"
#include "platform/posix/machine.h"

extern char** environ;

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

/// True when the environment entry "NAME=value" has the name `name`,
/// ignoring ASCII case.
bool hasName(const char* entry, const std::string& name) {
  const char* equals = std::strchr(entry, '=');
  return equals != nullptr &&
         ascii::equalIgnoringCase(std::string_view(entry, static_cast<std::size_t>(equals - entry)),
                                  name);
}

/// The value of the first entry of the environment whose name equals `name`
/// ignoring ASCII case (Windows keeps one entry per name whatever its case;
/// a POSIX environment may hold "Path" and "PATH" both: the first wins).
const char* findIgnoringCase(const std::string& name) {
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (hasName(*entry, name)) return *entry + name.size() + 1;
  }
  return nullptr;
}

}  // namespace

bool host::environmentVariable(const std::string& name, std::string& value) {
  if (name.empty() || name.find('=') != std::string::npos) return false;
  const posix::RecordedState& recorded = posix::Machine::current().recorded();
  if (recorded.hasEnvironment) {
    for (const auto& entry : recorded.environment) {
      if (ascii::equalIgnoringCase(entry.first, name)) {
        value = entry.second;
        return true;
      }
    }
    return false;
  }
  const char* raw = findIgnoringCase(name);
  if (raw == nullptr) return false;
  value = raw;
  if (ascii::equalIgnoringCase(name, "PATH") && value.find(';') == std::string::npos &&
      value.find('\\') == std::string::npos) {
    value = windowsPathList(value);
  }
  return true;
}

}  // namespace platform
