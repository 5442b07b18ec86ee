#include "net/host_resolution.h"

#include <cstring>

#include "driver/message.h"

namespace {
constexpr int HostNameBufferSize = 256;
}

std::uint32_t resolveHostAddress(SocketLibrary& sockets, ReportLog& log, const Str& host) {
  const std::uint32_t address = sockets.inetAddr(host.c_str());
  if (address != winsock::InaddrNone && address != 0) return address;
  const winsock::HostEnt* entry = sockets.getHostByName(host.c_str());
  if (entry != nullptr && entry->h_addr_list != nullptr && entry->h_addr_list[0] != nullptr) {
    std::uint32_t found = 0;
    std::memcpy(&found, entry->h_addr_list[0], sizeof found);
    return found;
  }
  report(log, msg::CHK0002R, "gethostbyname", sockets.lastError());
  report(log, msg::CHK_DBG, "Parameter hostname was '%2'", host);
  return address;
}

Str lookupHostName(SocketLibrary& sockets, ReportLog& log, std::uint32_t address) {
  char bytes[4];
  std::memcpy(bytes, &address, sizeof bytes);
  const winsock::HostEnt* entry = sockets.getHostByAddr(bytes, 4, winsock::AfInet);
  if (entry != nullptr) return Str(entry->h_name);
  const int error = sockets.lastError();
  const Str dotted = sockets.inetNtoa(address);
  if (error == winsock::WsaHostNotFound) {
    report(log, msg::CHK0329R, dotted);
  } else if (error == winsock::WsaNoData) {
    report(log, msg::CHK0330A, dotted);
  } else {
    report(log, msg::CHK0002R, "gethostbyaddr", error);
    report(log, msg::CHK_DBG, "Parameter address was '%2'", dotted);
  }
  return Str();
}

std::uint32_t localHostAddress(SocketLibrary& sockets, ReportLog& log, Str& name) {
  name = Str();
  char buffer[HostNameBufferSize] = {0};
  if (sockets.getHostName(buffer, HostNameBufferSize) == 0 && buffer[0] != '\0') {
    name = Str(buffer, HostNameBufferSize);
    return resolveHostAddress(sockets, log, name);
  }
  const int error = sockets.lastError();
  report(log, msg::CHK0002R, "gethostname", error);
  if (error == winsock::WsaServiceNotFound) report(log, msg::CHK0333A);
  return 0;
}
