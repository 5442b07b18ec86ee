// POSIX backend only: the built-in wsock32's sockets, over the host's BSD
// sockets. A socket value is the host descriptor. Only what the checker asks
// of them is emulated: stream and raw IPv4 sockets, the SO_REUSEADDR option,
// no send or receive flags; anything else fails as Winsock fails an option
// or flag it does not know.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/posix/faults.h"
#include "platform/posix/winsock_parts.h"

namespace platform::posix::wsock {
namespace {

/// The host descriptor of a socket value; -1 (error set) when it cannot be one.
int descriptorOf(Socket s) {
  if (s > static_cast<Socket>(INT_MAX)) {
    setLastError(winsock::WsaEnotsock);
    return -1;
  }
  return static_cast<int>(s);
}

/// bind or connect: `call` on the socket's descriptor with the caller's
/// Windows address as the host's.
int callWithAddress(Socket s, const winsock::SockAddr* address, int length,
                    int (*call)(int, const sockaddr*, socklen_t)) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  sockaddr_in host;
  if (!hostAddressOf(address, length, host)) return winsock::SocketError;
  if (call(fd, reinterpret_cast<const sockaddr*>(&host), sizeof host) != 0) return failErrno();
  return 0;
}

}  // namespace

Socket ZORIVT_WSAAPI openSocket(int family, int type, int protocol) {
  if (!started()) return winsock::InvalidSocket;
  if (family != winsock::AfInet) {
    setLastError(winsock::WsaEafnosupport);
    return winsock::InvalidSocket;
  }
  int hostType;
  switch (type) {
    case winsock::SockStream:
      hostType = SOCK_STREAM;
      break;
    case winsock::SockRaw:
      hostType = SOCK_RAW;
      break;
    default:
      setLastError(winsock::WsaEsocktnosupport);
      return winsock::InvalidSocket;
  }
  if (type == winsock::SockRaw) {
    const Faults faults = currentFaults();
    if (faults.rawSocketsDenied || faults.rawSocketsUnsupported) {
      setLastError(faults.rawSocketsDenied ? winsock::WsaEacces : winsock::WsaEsocktnosupport);
      return winsock::InvalidSocket;
    }
  }
  const int fd = ::socket(AF_INET, hostType | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    setLastError(codeOfErrno(errno));
    return winsock::InvalidSocket;
  }
  return static_cast<Socket>(fd);
}

int ZORIVT_WSAAPI setSockOpt(Socket s, int level, int option, const char* value, int length) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (value == nullptr) return fail(winsock::WsaEfault);
  if (level != winsock::SolSocket) return fail(winsock::WsaEinval);
  if (option != winsock::SoReuseAddr) return fail(winsock::WsaEnoprotoopt);
  if (length < 1) return fail(winsock::WsaEfault);
  int number = 0;  // a BOOL; a shorter value counts by its bytes
  std::memcpy(&number, value, length < 4 ? static_cast<std::size_t>(length) : 4);
  if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &number, sizeof number) != 0) return failErrno();
  return 0;
}

int ZORIVT_WSAAPI bindSocket(Socket s, const winsock::SockAddr* address, int length) {
  return callWithAddress(s, address, length, ::bind);
}

int ZORIVT_WSAAPI connectSocket(Socket s, const winsock::SockAddr* address, int length) {
  return callWithAddress(s, address, length, ::connect);
}

int ZORIVT_WSAAPI closeSocket(Socket s) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  // Only sockets: a stray value must not close one of the process's files.
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) return fail(winsock::WsaEnotsock);
  if (::close(fd) != 0) return failErrno();
  return 0;
}

int ZORIVT_WSAAPI sendTo(Socket s, const char* data, int length, int flags,
                         const winsock::SockAddr* to, int toLength) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (length < 0) return fail(winsock::WsaEinval);
  if (data == nullptr && length > 0) return fail(winsock::WsaEfault);
  if (flags != 0) return fail(winsock::WsaEopnotsupp);
  const int hostFlags = MSG_NOSIGNAL;
  ssize_t sent;
  if (to == nullptr) {
    sent = ::send(fd, data, static_cast<std::size_t>(length), hostFlags);
  } else {
    sockaddr_in host;
    if (!hostAddressOf(to, toLength, host)) return winsock::SocketError;
    sent = ::sendto(fd, data, static_cast<std::size_t>(length), hostFlags,
                    reinterpret_cast<const sockaddr*>(&host), sizeof host);
  }
  if (sent < 0) return failErrno();
  return static_cast<int>(sent);
}

int ZORIVT_WSAAPI recvFrom(Socket s, char* buffer, int length, int flags, winsock::SockAddr* from,
                           int* fromLength) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (length < 0) return fail(winsock::WsaEinval);
  if (buffer == nullptr && length > 0) return fail(winsock::WsaEfault);
  if (from != nullptr &&
      (fromLength == nullptr || *fromLength < static_cast<int>(sizeof(winsock::SockAddrIn)))) {
    return fail(winsock::WsaEfault);
  }
  if (flags != 0) return fail(winsock::WsaEopnotsupp);
  int hostFlags = 0;
  int type = 0;
  socklen_t typeLength = sizeof type;
  if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0) return failErrno();
  // A datagram larger than the buffer is an error on Winsock (the buffer
  // still receives its start); the host would truncate silently.
  const bool datagram = type != SOCK_STREAM;
  if (datagram) hostFlags |= MSG_TRUNC;
  sockaddr_in host;
  std::memset(&host, 0, sizeof host);
  socklen_t hostLength = sizeof host;
  const ssize_t received = ::recvfrom(fd, buffer, static_cast<std::size_t>(length), hostFlags,
                                      reinterpret_cast<sockaddr*>(&host), &hostLength);
  if (received < 0) return failErrno();
  if (from != nullptr && hostLength >= sizeof(sockaddr_in) && host.sin_family == AF_INET) {
    windowsAddressOf(host, from);
    *fromLength = static_cast<int>(sizeof(winsock::SockAddrIn));
  }
  if (datagram && received > length) return fail(winsock::WsaEmsgsize);
  return static_cast<int>(received);
}

int ZORIVT_WSAAPI selectSockets(int, winsock::FdSet* readSet, winsock::FdSet* writeSet,
                                winsock::FdSet* errorSet, const winsock::TimeVal* timeout) {
  if (!started()) return winsock::SocketError;
  winsock::FdSet* sets[3] = {readSet, writeSet, errorSet};
  const short events[3] = {POLLIN, POLLOUT, POLLPRI};
  std::vector<pollfd> polled;
  for (int k = 0; k < 3; ++k) {
    if (sets[k] == nullptr) continue;
    if (sets[k]->fd_count > static_cast<std::uint32_t>(winsock::FdSetSize))
      return fail(winsock::WsaEinval);
    for (std::uint32_t i = 0; i < sets[k]->fd_count; ++i) {
      const int fd = descriptorOf(sets[k]->fd_array[i]);
      if (fd < 0) return winsock::SocketError;
      bool merged = false;
      for (pollfd& p : polled) {
        if (p.fd == fd) {
          p.events = static_cast<short>(p.events | events[k]);
          merged = true;
        }
      }
      if (!merged) polled.push_back(pollfd{fd, events[k], 0});
    }
  }
  if (polled.empty()) return fail(winsock::WsaEinval);  // Winsock refuses to wait on nothing

  long long wait = -1;
  if (timeout != nullptr) {
    if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return fail(winsock::WsaEinval);
    wait = static_cast<long long>(timeout->tv_sec) * 1000 + (timeout->tv_usec + 999) / 1000;
    if (wait > INT_MAX) wait = INT_MAX;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait);
  int ready;
  for (;;) {
    ready = ::poll(polled.data(), polled.size(), static_cast<int>(wait));
    if (ready >= 0 || errno != EINTR) break;
    if (wait >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      wait = left.count() > 0 ? left.count() : 0;
    }
  }
  if (ready < 0) return failErrno();
  for (const pollfd& p : polled) {
    if (p.revents & POLLNVAL) return fail(winsock::WsaEnotsock);
  }

  int count = 0;
  for (int k = 0; k < 3; ++k) {
    if (sets[k] == nullptr) continue;
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < sets[k]->fd_count; ++i) {
      const int fd = static_cast<int>(sets[k]->fd_array[i]);
      short revents = 0;
      for (const pollfd& p : polled) {
        if (p.fd == fd) revents = p.revents;
      }
      bool isReady;
      if (k == 0) {
        isReady = revents & (POLLIN | POLLHUP | POLLERR);
      } else if (k == 1) {
        isReady = (revents & POLLOUT) && !(revents & POLLERR);
      } else {
        isReady = revents & (POLLPRI | POLLERR);  // out-of-band data or a failed connect
      }
      if (isReady) sets[k]->fd_array[kept++] = sets[k]->fd_array[i];
    }
    sets[k]->fd_count = kept;
    count += static_cast<int>(kept);
  }
  return count;
}

int ZORIVT_WSAAPI getSockName(Socket s, winsock::SockAddr* address, int* length) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (address == nullptr || length == nullptr ||
      *length < static_cast<int>(sizeof(winsock::SockAddrIn))) {
    return fail(winsock::WsaEfault);
  }
  sockaddr_in host;
  std::memset(&host, 0, sizeof host);
  socklen_t hostLength = sizeof host;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&host), &hostLength) != 0) return failErrno();
  // Winsock refuses an unbound socket; the host reports 0.0.0.0:0 for it.
  if (host.sin_port == 0 && host.sin_addr.s_addr == 0) return fail(winsock::WsaEinval);
  windowsAddressOf(host, address);
  *length = static_cast<int>(sizeof(winsock::SockAddrIn));
  return 0;
}

}  // namespace platform::posix::wsock
