#include "net/services_file.h"

#include <cstdio>
#include <string>

#include "config/path_utils.h"
#include "driver/message.h"
#include "driver/time_text.h"
#include "net/etc_directory.h"
#include "net/socket_library.h"
#include "net/tcp_checks.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/file_replacement.h"

namespace {

std::string entryLine(const Str& serviceName, std::int32_t port) {
  return serviceName.str() + "    " + std::to_string(port) + "/tcp              # Corvanta";
}

/// The replacement named `name` as the messages show it: in the directory
/// of the services file.
Str replacementPath(const Str& servicesPath, const std::string& name) {
  return servicesPath.mid(1, nameStart(servicesPath) - 1).append(name);
}

}  // namespace

Str servicesFilePath(ReportLog& log, const CheckOptions& options) {
  Str directory = etcDirectory(options.givenEtcDirectory);
  if (directory.empty()) directory = ".";
  if (!isDirectory(directory)) {
    report(log, msg::CHK0009A, "TCP/IP", directory);
    return Str();
  }
  const Str path = joinPath(directory, "services");
  if (!isFile(path)) {
    report(log, msg::CHK0008R, "TCP/IP services", path);
    return Str();
  }
  return path;
}

std::int32_t addServiceEntry(ReportLog& log, const Str& servicesPath, const Str& serviceName,
                             std::int32_t port) {
  // Held until the end of this function: another update of the same file
  // waits, and then reads this one's result.
  platform::FileReplacement replacement;
  if (!replacement.lock(servicesPath.str())) {
    if (platform::FileReplacement::interrupted()) return 1;
    report(log, msg::CHK0006R, servicesPath);
    return 1;
  }
  // Binary on both sides: every byte of the old lines, CR included, is
  // copied as it was.
  platform::File input;
  if (!input.open(servicesPath.str(), platform::File::Access::Read, platform::File::Kind::Binary)) {
    report(log, msg::CHK0006R, servicesPath);
    return 1;
  }
  platform::File output;
  if (!replacement.create(output)) {
    if (platform::FileReplacement::interrupted()) return 1;
    report(log, msg::CHK0007R, replacementPath(servicesPath, replacement.replacementName()));
    return 1;
  }
  const Str tempPath = replacementPath(servicesPath, replacement.replacementName());

  const std::string now = ctimeText(platform::currentTime());
  const std::string pattern = serviceName.str() + "*";
  const std::string entry = entryLine(serviceName, port);
  // Lines written here end like the line read before them, so a file with
  // CRLF line ends keeps them throughout.
  std::string lineEnd = "\n";
  bool replaced = false;
  bool written = true;
  std::string line;
  while (written && !platform::FileReplacement::interrupted() && input.readLine(line)) {
    lineEnd = !line.empty() && line.back() == '\r' ? "\r\n" : "\n";
    if (matchWildcard(line.c_str(), pattern.c_str())) {
      written = output.write("# changed by CV/CC on " + now + lineEnd + "# " + line + "\n" + entry +
                             lineEnd);
      replaced = true;
    } else {
      written = output.write(line + "\n");
    }
  }
  if (written && !replaced) {
    written = output.write("# added by CV/CC on " + now + lineEnd + entry + lineEnd);
  }
  // A read error would leave a shortened copy: it must not replace the file.
  written = written && !input.failed();
  input.close();
  const bool closed = output.close();
  if (platform::FileReplacement::interrupted()) return 1;
  if (!written || !closed) {
    report(log, msg::CHK0007R, tempPath);
    return 1;
  }
  if (!replacement.commit()) {
    if (platform::FileReplacement::interrupted()) return 1;
    report(log, msg::CHK0010R, tempPath, servicesPath);
    return 1;
  }
  report(log, msg::CHK0310I, serviceName, servicesPath);
  return 0;
}

std::int32_t updateServicesFile(ReportLog& log, const CheckOptions& options) {
  SocketLibrary sockets;
  if (!sockets.open(log)) return 1;
  const Str path = servicesFilePath(log, options);
  if (path.empty()) return 1;
  std::int32_t status = 0;
  if (checkTcpPort(sockets, log, QuorLinkStartService, QuorLinkStartPort, options.version < 220) ==
      -1) {
    if (addServiceEntry(log, path, QuorLinkStartService, QuorLinkStartPort) != 0) status = 1;
  }
  if (checkTcpPort(sockets, log, QuorLinkAttachService, QuorLinkAttachPort,
                   options.version < 230) == -1) {
    if (addServiceEntry(log, path, QuorLinkAttachService, QuorLinkAttachPort) != 0) status = 1;
  }
  return status;
}
