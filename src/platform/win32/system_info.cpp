// Win32 backend only: the Windows version and directory.
#include "platform/system_info.h"

#include <windows.h>

#include "platform/host.h"

namespace platform::host {

bool windowsVersion(VersionInfo& info) {
  OSVERSIONINFOA version;
  ZeroMemory(&version, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  info.major = version.dwMajorVersion;
  info.minor = version.dwMinorVersion;
  info.build = version.dwBuildNumber;
  info.platformId = version.dwPlatformId;
  return true;
}

std::string windowsDirectory() {
  char buffer[256] = {0};
  UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return std::string(buffer, length);
}

}  // namespace platform::host
