// The socket interface of the network probes: the Winsock 1.1 library bound
// at run time, procedure by procedure, and the run's socket session that
// starts the socket layer once and cleans it up when the run ends.
#pragma once

#include <cstdint>

#include "driver/report_log.h"
#include "net/library_loader.h"
#include "platform/winsock_abi.h"

/// Slots of the socket procedure table, in table order.
enum SocketSlot : int {
  SlotGetHostName,
  SlotGetHostByName,
  SlotGetHostByAddr,
  SlotGetServByName,
  SlotGetProtoByName,
  SlotInetAddr,
  SlotInetNtoa,
  SlotNtohs,
  SlotNtohl,
  SlotHtons,
  SlotWsaStartup,
  SlotWsaCleanup,
  SlotSocket,
  SlotSetSockOpt,
  SlotBind,
  SlotConnect,
  SlotCloseSocket,
  SlotSendTo,
  SlotRecvFrom,
  SlotSelect,
  SlotWsaGetLastError,
  SlotGetSockName,
  SocketProcedureCount
};

/// The 22 procedures bound from "wsock32" (library index 0), ended by a
/// null name.
extern const ProcedureEntry SocketProcedureTable[SocketProcedureCount + 1];

/// The bound socket interface of one network probe. Built on the probe's
/// stack; its library reference is released when it goes out of scope
/// (the socket session keeps the library loaded).
class SocketLibrary {
 public:
  SocketLibrary() = default;
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;

  /// Binds the socket library and makes sure the socket layer is started.
  /// True when the probe may go on. False after a reported failure: the
  /// library or a procedure is missing (CHK0004R, CHK0005R), or WSAStartup
  /// failed, in this call (CHK0300R) or in an earlier one (no message: a
  /// failed start-up stops every later probe too). The first successful
  /// start-up of the run reports CHK0301I.
  bool open(ReportLog& log);

  // The bound procedures, one forwarder per slot under its procedure's name
  // in this code's spelling (the C names are macros on some systems); only
  // after open() returned true. Addresses are Windows sockaddr_in records.
  int getHostName(char* name, int length) const {
    return bound<winsock::GetHostNameFn>(SlotGetHostName)(name, length);
  }
  winsock::HostEnt* getHostByName(const char* name) const {
    return bound<winsock::GetHostByNameFn>(SlotGetHostByName)(name);
  }
  winsock::HostEnt* getHostByAddr(const char* address, int length, int type) const {
    return bound<winsock::GetHostByAddrFn>(SlotGetHostByAddr)(address, length, type);
  }
  winsock::ServEnt* getServByName(const char* name, const char* protocol) const {
    return bound<winsock::GetServByNameFn>(SlotGetServByName)(name, protocol);
  }
  winsock::ProtoEnt* getProtoByName(const char* name) const {
    return bound<winsock::GetProtoByNameFn>(SlotGetProtoByName)(name);
  }
  std::uint32_t inetAddr(const char* text) const {
    return bound<winsock::InetAddrFn>(SlotInetAddr)(text);
  }
  /// The text lives in the socket library's per-thread buffer until the
  /// next call.
  const char* inetNtoa(std::uint32_t address) const {
    return bound<winsock::InetNtoaFn>(SlotInetNtoa)(winsock::InAddr{address});
  }
  std::uint16_t netToHostShort(std::uint16_t value) const {
    return bound<winsock::NtohsFn>(SlotNtohs)(value);
  }
  std::uint16_t hostToNetShort(std::uint16_t value) const {
    return bound<winsock::HtonsFn>(SlotHtons)(value);
  }
  winsock::Socket socket(int family, int type, int protocol) const {
    return bound<winsock::SocketFn>(SlotSocket)(family, type, protocol);
  }
  int setSockOpt(winsock::Socket s, int level, int option, const char* value, int length) const {
    return bound<winsock::SetSockOptFn>(SlotSetSockOpt)(s, level, option, value, length);
  }
  int bind(winsock::Socket s, const winsock::SockAddrIn& address) const {
    return bound<winsock::BindFn>(SlotBind)(s, asSockAddr(address), sizeof address);
  }
  int connect(winsock::Socket s, const winsock::SockAddrIn& address) const {
    return bound<winsock::ConnectFn>(SlotConnect)(s, asSockAddr(address), sizeof address);
  }
  int closeSocket(winsock::Socket s) const {
    return bound<winsock::CloseSocketFn>(SlotCloseSocket)(s);
  }
  int sendTo(winsock::Socket s, const char* data, int length, int flags,
             const winsock::SockAddrIn& to) const {
    return bound<winsock::SendToFn>(SlotSendTo)(s, data, length, flags, asSockAddr(to), sizeof to);
  }
  int recvFrom(winsock::Socket s, char* buffer, int length, int flags, winsock::SockAddrIn& from,
               int& fromLength) const {
    return bound<winsock::RecvFromFn>(SlotRecvFrom)(
        s, buffer, length, flags, reinterpret_cast<winsock::SockAddr*>(&from), &fromLength);
  }
  int select(int count, winsock::FdSet* read, winsock::FdSet* write, winsock::FdSet* error,
             const winsock::TimeVal* timeout) const {
    return bound<winsock::SelectFn>(SlotSelect)(count, read, write, error, timeout);
  }
  int lastError() const { return bound<winsock::WsaGetLastErrorFn>(SlotWsaGetLastError)(); }

 private:
  template <typename Fn>
  Fn bound(SocketSlot slot) const {
    return reinterpret_cast<Fn>(slots_[slot]);
  }
  static const winsock::SockAddr* asSockAddr(const winsock::SockAddrIn& address) {
    return reinterpret_cast<const winsock::SockAddr*>(&address);
  }

  LibraryRef library_;
  platform::ProcedureAddress slots_[SocketProcedureCount] = {};
};

/// One socket of an opened SocketLibrary, closed when it goes out of scope
/// (an invalid socket is left alone).
class ScopedSocket {
 public:
  ScopedSocket(const SocketLibrary& sockets, winsock::Socket s) : sockets_(sockets), socket_(s) {}
  ~ScopedSocket() {
    if (valid()) sockets_.closeSocket(socket_);
  }
  ScopedSocket(const ScopedSocket&) = delete;
  ScopedSocket& operator=(const ScopedSocket&) = delete;

  bool valid() const { return socket_ != winsock::InvalidSocket; }
  winsock::Socket get() const { return socket_; }

 private:
  const SocketLibrary& sockets_;
  winsock::Socket socket_;
};

/// An IPv4 socket address of the given address and port, both in network
/// byte order, the rest zero.
winsock::SockAddrIn socketAddress(std::uint32_t address, std::uint16_t networkPort);
