#include "net/tcp_checks.h"

#include "driver/message.h"
#include "net/etc_directory.h"
#include "net/host_resolution.h"
#include "net/ping.h"
#include "net/socket_library.h"

namespace {

bool hasAddress(std::uint32_t address) {
  return address != 0 && address != winsock::InaddrNone;
}

/// Whether QuorLink listens on this machine: a free attach port binds.
void checkLocalServer(SocketLibrary& sockets, ReportLog& log, std::int32_t attachPort) {
  const ScopedSocket s(sockets, sockets.socket(winsock::AfInet, winsock::SockStream, 0));
  if (!s.valid()) {
    report(log, msg::CHK0002R, "socket", sockets.lastError());
    return;
  }
  const std::int32_t reuse = 1;
  if (sockets.setSockOpt(s.get(), winsock::SolSocket, winsock::SoReuseAddr,
                         reinterpret_cast<const char*>(&reuse), sizeof reuse) != 0) {
    report(log, msg::CHK0002R, "setsockopt", sockets.lastError());
    return;
  }
  const winsock::SockAddrIn local = socketAddress(
      winsock::InaddrAny, sockets.hostToNetShort(static_cast<std::uint16_t>(attachPort)));
  if (sockets.bind(s.get(), local) == 0) {
    report(log, msg::CHK0325I);
  } else {
    const int error = sockets.lastError();
    if (error == winsock::WsaEaddrinuse) {
      report(log, msg::CHK0326I);
    } else {
      report(log, msg::CHK0002R, "bind", error);
    }
  }
}

}  // namespace

std::int32_t checkTcpPort(SocketLibrary& sockets, ReportLog& log, const Str& serviceName,
                          std::int32_t expectedPort, bool required) {
  const winsock::ServEnt* service = sockets.getServByName(serviceName.c_str(), "tcp");
  if (service == nullptr) {
    if (!required) return 0;
    report(log, msg::CHK0306R, serviceName);
    return -1;
  }
  const std::int32_t port = sockets.netToHostShort(static_cast<std::uint16_t>(service->s_port));
  if (port == expectedPort) {
    report(log, msg::CHK0308I, serviceName, port);
  } else {
    report(log, msg::CHK0307R, serviceName, port, expectedPort);
  }
  return port;
}

bool checkServerHost(SocketLibrary& sockets, ReportLog& log, const Str& host, bool resolveByName,
                     std::uint32_t* resolved) {
  if (resolved != nullptr) *resolved = 0;
  if (host.empty()) return true;
  const std::uint32_t address =
      resolveByName ? resolveHostAddress(sockets, log, host) : sockets.inetAddr(host.c_str());
  if (!hasAddress(address)) {
    report(log, msg::CHK0304R, host);
    return false;
  }
  if (resolved != nullptr) *resolved = address;
  Str name = lookupHostName(sockets, log, address);
  const Str dotted = sockets.inetNtoa(address);
  if (name.empty()) name = host;
  if (name != dotted) report(log, msg::CHK0305I, name, dotted);
  if (!pingHost(sockets, log, address)) return false;
  report(log, msg::CHK0314I, host);
  return true;
}

bool validateTcpAddress(ReportLog& log, const Str& host) {
  SocketLibrary sockets;
  if (!sockets.open(log)) return false;
  checkEtcDirectoryOnce(log);
  return checkServerHost(sockets, log, host, true);
}

bool testServerConnection(ReportLog& log, const CheckOptions& options, const Str& host) {
  SocketLibrary sockets;
  if (!sockets.open(log)) return false;
  // Versions 2.2x accept only dotted addresses for a server host.
  const bool resolveByName = options.version < 220 || options.version >= 230;
  std::uint32_t resolved = 0;
  const bool ok = checkServerHost(sockets, log, host, resolveByName, &resolved);
  if (!options.testAvailability) return ok;

  const ScopedSocket s(sockets, sockets.socket(winsock::AfInet, winsock::SockStream, 0));
  if (!s.valid()) {
    report(log, msg::CHK0002R, "socket", sockets.lastError());
    return ok;
  }
  // The address the host check found, so that a host given by name is
  // reached too; the text itself only when nothing was found.
  const std::uint32_t target = hasAddress(resolved) ? resolved : sockets.inetAddr(host.c_str());
  const winsock::SockAddrIn server =
      socketAddress(target, sockets.hostToNetShort(static_cast<std::uint16_t>(QuorLinkAttachPort)));
  if (sockets.connect(s.get(), server) == 0) {
    report(log, msg::CHK0319I, host);
  } else {
    const int error = sockets.lastError();
    if (error == winsock::WsaEconnrefused) {
      report(log, msg::CHK0320A, host);
    } else if (error == winsock::WsaEtimedout) {
      report(log, msg::CHK0328W, sockets.inetNtoa(target), QuorLinkAttachPort);
    } else {
      report(log, msg::CHK0002R, "connect", error);
      report(log, msg::CHK_DBG, "Parameter address was '%2', ECONNREFUSED = %3", host,
             winsock::WsaEconnrefused);
    }
  }
  return ok;
}

void checkTcpProtocol(ReportLog& log, const CheckOptions& options) {
  SocketLibrary sockets;
  if (!sockets.open(log)) return;
  checkEtcDirectoryOnce(log);

  Str name;
  const std::uint32_t local = localHostAddress(sockets, log, name);
  if (!hasAddress(local)) {
    report(log, msg::CHK0302R);
  } else {
    report(log, msg::CHK0303I, name, sockets.inetNtoa(local));
  }

  const std::int32_t start =
      checkTcpPort(sockets, log, QuorLinkStartService, QuorLinkStartPort, options.version < 220);
  if (start > 0 && options.version >= 220) report(log, msg::CHK0309I, QuorLinkStartService);

  const std::int32_t attach =
      checkTcpPort(sockets, log, QuorLinkAttachService, QuorLinkAttachPort, options.version < 230);
  if (attach == -1) report(log, msg::CHK0199I);
  if (attach > 0 && options.version >= 230) report(log, msg::CHK0309I, QuorLinkAttachService);

  if (attach > 0 && log.debugMode()) checkLocalServer(sockets, log, attach);
}
