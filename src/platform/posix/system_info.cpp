// POSIX backend only: the Windows version and directory of the emulated
// machine, read from its registry as Windows keeps them there, unless the
// machine's `system` file names them.
#include "platform/system_info.h"

#include <cstdio>
#include <string>

#include "platform/host.h"
#include "platform/posix/machine.h"
#include "platform/registry.h"

namespace platform {
namespace {

const char* const NtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char* const WindowsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

/// A string value of an open key; false when it is missing.
bool readString(RegistryHandle key, const char* name, std::string& value) {
  std::uint32_t size = 0;
  std::uint32_t type = 0;
  if (host::registryQueryValue(key, name, &type, nullptr, &size) != RegistrySuccess) return false;
  std::string data(size + 1, '\0');
  if (host::registryQueryValue(key, name, &type, reinterpret_cast<unsigned char*>(&data[0]),
                               &size) != RegistrySuccess) {
    return false;
  }
  data.resize(size);
  std::size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  value = data;
  return true;
}

/// "4.0" or "4.10.1998": the first two numbers.
void parseVersion(const std::string& text, std::uint32_t& major, std::uint32_t& minor) {
  unsigned a = 0, b = 0;
  int n = std::sscanf(text.c_str(), "%u.%u", &a, &b);
  if (n >= 1) major = a;
  if (n >= 2) minor = b;
}

struct MachineVersion {
  VersionInfo info;
  std::string directory;
};

MachineVersion readMachineVersion() {
  MachineVersion result;
  result.info.platformId = PlatformNt;
  result.info.major = 4;
  result.info.minor = 0;
  result.info.build = 1381;
  result.directory = "C:\\WINNT";

  RegistryHandle key = 0;
  if (host::registryOpenKey(LocalMachineKey, NtKey, RegistryAccess::QueryValue, key) ==
      RegistrySuccess) {
    std::string value;
    if (readString(key, "CurrentVersion", value))
      parseVersion(value, result.info.major, result.info.minor);
    if (readString(key, "SystemRoot", value) && !value.empty()) result.directory = value;
    host::registryCloseKey(key);
    return result;
  }
  if (host::registryOpenKey(LocalMachineKey, WindowsKey, RegistryAccess::QueryValue, key) ==
      RegistrySuccess) {
    result.info.platformId = PlatformWindows;
    result.info.build = 0;
    result.directory = "C:\\WINDOWS";
    std::string value;
    if (readString(key, "VersionNumber", value))
      parseVersion(value, result.info.major, result.info.minor);
    if (readString(key, "SystemRoot", value) && !value.empty()) result.directory = value;
    host::registryCloseKey(key);
  }
  return result;
}

}  // namespace

bool host::windowsVersion(VersionInfo& info) {
  const posix::RecordedState& recorded = posix::Machine::current().recorded();
  info = recorded.hasVersion ? recorded.version : readMachineVersion().info;
  return true;
}

std::string host::windowsDirectory() {
  const posix::RecordedState& recorded = posix::Machine::current().recorded();
  if (!recorded.windowsDirectory.empty()) return recorded.windowsDirectory;
  return readMachineVersion().directory;
}

}  // namespace platform
