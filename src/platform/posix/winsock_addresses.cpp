// POSIX backend only: the built-in wsock32's start-up, error codes, byte
// order and address texts.
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/faults.h"
#include "platform/posix/winsock_parts.h"

namespace platform::posix::wsock {
namespace {

const char* const Description = "Zorivt Winsock 1.1 emulation over BSD sockets";

// Process-wide start-up count: trivially destructible, because the socket
// session calls WSACleanup from a static destructor at process exit.
int startupCount = 0;
thread_local int lastSocketError = 0;
thread_local char dottedText[16];

/// Winsock's codes for the host's errno values: WSABASEERR plus the BSD
/// number of the same error (the host's own numbers differ). Aliases such as
/// EAGAIN and EWOULDBLOCK may share a number; the first row wins.
struct ErrnoCode {
  int error;
  int code;
};
const ErrnoCode ErrnoCodes[] = {
    {EINTR, winsock::WsaEintr},
    {EBADF, winsock::WsaEbadf},
    {EPERM, winsock::WsaEacces},
    {EACCES, winsock::WsaEacces},
    {EFAULT, winsock::WsaEfault},
    {EINVAL, winsock::WsaEinval},
    {EMFILE, winsock::WsaEmfile},
    {ENFILE, winsock::WsaEmfile},
    {EWOULDBLOCK, winsock::WsaEwouldblock},
    {EAGAIN, winsock::WsaEwouldblock},
    {EINPROGRESS, winsock::WsaEinprogress},
    {EALREADY, winsock::WsaEalready},
    {ENOTSOCK, winsock::WsaEnotsock},
    {EDESTADDRREQ, winsock::WsaEdestaddrreq},
    {EMSGSIZE, winsock::WsaEmsgsize},
    {EPROTOTYPE, winsock::WsaEprototype},
    {ENOPROTOOPT, winsock::WsaEnoprotoopt},
    {EPROTONOSUPPORT, winsock::WsaEprotonosupport},
    {ESOCKTNOSUPPORT, winsock::WsaEsocktnosupport},
    {ENOTSUP, winsock::WsaEopnotsupp},
    {EOPNOTSUPP, winsock::WsaEopnotsupp},
    {EPFNOSUPPORT, winsock::WsaEpfnosupport},
    {EAFNOSUPPORT, winsock::WsaEafnosupport},
    {EADDRINUSE, winsock::WsaEaddrinuse},
    {EADDRNOTAVAIL, winsock::WsaEaddrnotavail},
    {ENETDOWN, winsock::WsaEnetdown},
    {ENETUNREACH, winsock::WsaEnetunreach},
    {ENETRESET, winsock::WsaEnetreset},
    {ECONNABORTED, winsock::WsaEconnaborted},
    {ECONNRESET, winsock::WsaEconnreset},
    {EPIPE, winsock::WsaEconnreset},
    {ENOMEM, winsock::WsaEnobufs},
    {ENOBUFS, winsock::WsaEnobufs},
    {EISCONN, winsock::WsaEisconn},
    {ENOTCONN, winsock::WsaEnotconn},
    {ESHUTDOWN, winsock::WsaEshutdown},
    {ETOOMANYREFS, winsock::WsaEtoomanyrefs},
    {ETIMEDOUT, winsock::WsaEtimedout},
    {ECONNREFUSED, winsock::WsaEconnrefused},
    {ELOOP, winsock::WsaEloop},
    {ENAMETOOLONG, winsock::WsaEnametoolong},
    {EHOSTDOWN, winsock::WsaEhostdown},
    {EHOSTUNREACH, winsock::WsaEhostunreach},
};

std::uint32_t networkFromBytes(const unsigned char bytes[4]) {
  std::uint32_t value;
  std::memcpy(&value, bytes, 4);
  return value;
}

void copyText(char* target, std::size_t room, const char* text) {
  std::strncpy(target, text, room - 1);
  target[room - 1] = '\0';
}

}  // namespace

void setLastError(int code) {
  lastSocketError = code;
}

int fail(int code) {
  lastSocketError = code;
  return winsock::SocketError;
}

int codeOfErrno(int error) {
  for (const ErrnoCode& row : ErrnoCodes) {
    if (row.error == error) return row.code;
  }
  return winsock::WsaEinval;
}

int failErrno() {
  return fail(codeOfErrno(errno));
}

bool started() {
  if (startupCount > 0) return true;
  lastSocketError = winsock::WsaNotInitialised;
  return false;
}

void countStartup(int change) {
  startupCount += change;
  if (startupCount < 0) startupCount = 0;
}

std::uint16_t swapToNetwork16(std::uint16_t value) {
  unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value & 0xFF)};
  std::uint16_t result;
  std::memcpy(&result, bytes, 2);
  return result;
}

namespace {

std::uint16_t swapToHost16(std::uint16_t value) {
  unsigned char bytes[2];
  std::memcpy(bytes, &value, 2);
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

}  // namespace

/// inet_addr's forms: a.b.c.d, a.b.c, a.b or a, each part decimal, octal
/// (leading 0) or hexadecimal (leading 0x); trailing white space allowed.
std::uint32_t parseDottedAddress(const char* text) {
  if (text == nullptr) return winsock::InaddrNone;
  unsigned long parts[4] = {0, 0, 0, 0};
  int count = 0;
  const char* p = text;
  for (;;) {
    if (*p < '0' || *p > '9') return winsock::InaddrNone;
    unsigned long value = 0;
    int base = 10;
    if (*p == '0') {
      ++p;
      base = 8;
      if (*p == 'x' || *p == 'X') {
        ++p;
        base = 16;
      }
    }
    for (;; ++p) {
      int digit;
      if (*p >= '0' && *p <= '9') {
        digit = *p - '0';
      } else if (base == 16 && *p >= 'a' && *p <= 'f') {
        digit = *p - 'a' + 10;
      } else if (base == 16 && *p >= 'A' && *p <= 'F') {
        digit = *p - 'A' + 10;
      } else {
        break;
      }
      if (digit >= base) return winsock::InaddrNone;
      value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
      if (value > 0xFFFFFFFFul) return winsock::InaddrNone;
    }
    parts[count++] = value;
    if (*p != '.') break;
    if (count == 4) return winsock::InaddrNone;
    ++p;
  }
  if (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') {
    return winsock::InaddrNone;
  }
  static const unsigned long lastLimit[4] = {0xFFFFFFFFul, 0xFFFFFFul, 0xFFFFul, 0xFFul};
  unsigned long value = 0;
  for (int i = 0; i + 1 < count; ++i) {
    if (parts[i] > 0xFF) return winsock::InaddrNone;
    value |= parts[i] << (24 - 8 * i);
  }
  if (parts[count - 1] > lastLimit[count - 1]) return winsock::InaddrNone;
  value |= parts[count - 1];
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
      static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
  return networkFromBytes(bytes);
}

bool isNumericAddress(const char* text, std::uint32_t& address) {
  address = parseDottedAddress(text);
  return address != winsock::InaddrNone || std::strcmp(text, "255.255.255.255") == 0;
}

/// The Windows sockaddr_in of a caller, as the host's; false (error set)
/// when it is missing, too short or not IPv4.
bool hostAddressOf(const winsock::SockAddr* address, int length, sockaddr_in& host) {
  if (address == nullptr || length < static_cast<int>(sizeof(winsock::SockAddrIn))) {
    lastSocketError = winsock::WsaEfault;
    return false;
  }
  winsock::SockAddrIn windows;
  std::memcpy(&windows, address, sizeof windows);
  if (windows.sin_family != winsock::AfInet) {
    lastSocketError = winsock::WsaEafnosupport;
    return false;
  }
  std::memset(&host, 0, sizeof host);
  host.sin_family = AF_INET;
  host.sin_port = windows.sin_port;
  host.sin_addr.s_addr = windows.sin_addr.s_addr;
  return true;
}

void windowsAddressOf(const sockaddr_in& host, winsock::SockAddr* address) {
  winsock::SockAddrIn windows;
  std::memset(&windows, 0, sizeof windows);
  windows.sin_family = winsock::AfInet;
  windows.sin_port = host.sin_port;
  windows.sin_addr.s_addr = host.sin_addr.s_addr;
  std::memcpy(address, &windows, sizeof windows);
}

std::uint32_t ZORIVT_WSAAPI inetAddr(const char* text) {
  return parseDottedAddress(text);
}

char* ZORIVT_WSAAPI inetNtoa(winsock::InAddr address) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address.s_addr, 4);
  std::snprintf(dottedText, sizeof dottedText, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2],
                bytes[3]);
  return dottedText;
}

std::uint16_t ZORIVT_WSAAPI netToHostShort(std::uint16_t value) {
  return swapToHost16(value);
}

std::uint16_t ZORIVT_WSAAPI hostToNetShort(std::uint16_t value) {
  return swapToNetwork16(value);
}

std::uint32_t ZORIVT_WSAAPI netToHostLong(std::uint32_t value) {
  unsigned char bytes[4];
  std::memcpy(bytes, &value, 4);
  return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
         (std::uint32_t(bytes[2]) << 8) | bytes[3];
}

int ZORIVT_WSAAPI startup(std::uint16_t version, winsock::WsaData* data) {
  if (data == nullptr) return winsock::WsaEfault;
  std::memset(data, 0, sizeof *data);
  data->wHighVersion = winsock::Version11;
  data->iMaxSockets = 32767;
  data->iMaxUdpDg = 65467;
  copyText(data->szDescription, sizeof data->szDescription, Description);
  const unsigned major = version & 0xFF;
  const unsigned minor = version >> 8;
  if (currentFaults().startupFails) {
    data->wVersion = winsock::Version11;
    copyText(data->szSystemStatus, sizeof data->szSystemStatus, "Network subsystem is unavailable");
    return winsock::WsaSysNotReady;
  }
  if (major == 0) {
    copyText(data->szSystemStatus, sizeof data->szSystemStatus, "Version not supported");
    return winsock::WsaVerNotSupported;
  }
  data->wVersion = (major > 1 || minor >= 1) ? winsock::Version11 : version;
  copyText(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
  ++startupCount;
  return 0;
}

int ZORIVT_WSAAPI cleanup() {
  if (!started()) return winsock::SocketError;
  --startupCount;
  return 0;
}

int ZORIVT_WSAAPI getLastError() {
  return lastSocketError;
}

}  // namespace platform::posix::wsock
