// Portable interface to the Windows version and the Windows directory
// (GetVersionExA, GetWindowsDirectoryA). On POSIX hosts they come from the
// emulated machine's registry.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

constexpr std::uint32_t PlatformWin32s = 0;
constexpr std::uint32_t PlatformWindows = 1;  // Windows 95/98
constexpr std::uint32_t PlatformNt = 2;

struct VersionInfo {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;
};

/// False when the platform gives no version.
bool windowsVersion(VersionInfo& info);

/// The Windows directory as the platform spells it ("C:\WINNT"); empty when
/// it gives none.
std::string windowsDirectory();

}  // namespace platform
