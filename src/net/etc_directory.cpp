#include "net/etc_directory.h"

#include "config/path_utils.h"
#include "driver/message.h"
#include "platform/system_info.h"

Str windowsDirectory() {
  // GetWindowsDirectoryA into a 256-byte buffer: longer names do not fit.
  const std::string directory = platform::windowsDirectory();
  if (directory.size() >= 256) return Str();
  return Str(directory).toLower();
}

Str etcDirectory(const Str& given) {
  if (!given.empty()) return given;
  platform::VersionInfo version;
  if (platform::windowsVersion(version) && version.platformId == platform::PlatformNt) {
    return joinPath(windowsDirectory(), "system32\\drivers\\etc");
  }
  return windowsDirectory();
}

void checkEtcDirectoryOnce(ReportLog& log) {
  if (!log.run().firstTime(RunOnce::EtcDirectoryTest)) return;
  const Str directory = etcDirectory(Str());
  if (!isDirectory(directory)) report(log, msg::CHK0009A, "TCP/IP", directory);
}
