// POSIX backend only: what the parts of the built-in wsock32 share. The
// parts are winsock_addresses.cpp (start-up, error codes, byte order and
// addresses), winsock_resolver.cpp (names from the machine's TCP/IP
// configuration files, then the host's resolver), winsock_sockets.cpp (the
// socket calls over BSD sockets) and winsock.cpp (the table of exported
// procedures). Every procedure has the signature of platform/winsock_abi.h.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winsock_abi.h"

namespace platform::posix::wsock {

using winsock::Socket;

// ---- errors and the socket layer's start-up (winsock_addresses.cpp) ----

/// Sets the calling thread's WSAGetLastError code.
void setLastError(int code);

/// Sets `code` and returns SOCKET_ERROR.
int fail(int code);

/// Sets `code` and returns a null result.
template <typename T>
T* failNull(int code) {
  setLastError(code);
  return nullptr;
}

/// Winsock's code for a host errno value (WSAEINVAL for one it lacks).
int codeOfErrno(int error);

/// fail() with the code of the current errno.
int failErrno();

/// True after a successful WSAStartup not yet cleaned up; otherwise sets
/// WSANOTINITIALISED.
bool started();

/// Counts a start-up (+1) or clean-up (-1) that the network replay answered,
/// so that the calls it leaves to this emulation see the same state.
void countStartup(int change);

// ---- results in per-thread storage, until the next call of the same kind
// (winsock_resolver.cpp); addresses and ports in network byte order ----

winsock::HostEnt* publishHost(const std::string& name, const std::vector<std::string>& aliases,
                              const std::vector<std::uint32_t>& addresses);
/// `port` in host byte order.
winsock::ServEnt* publishService(const std::string& name, const std::vector<std::string>& aliases,
                                 std::uint16_t port, const std::string& protocol);
winsock::ProtoEnt* publishProtocol(const std::string& name, const std::vector<std::string>& aliases,
                                   short number);

// ---- byte order and addresses (winsock_addresses.cpp) ----

std::uint16_t swapToNetwork16(std::uint16_t value);

/// inet_addr's value of `text`; INADDR_NONE for a null or malformed text.
std::uint32_t parseDottedAddress(const char* text);

/// True when `text` is an address in one of inet_addr's forms, including
/// "255.255.255.255" (whose value is INADDR_NONE).
bool isNumericAddress(const char* text, std::uint32_t& address);

/// The Windows sockaddr_in of a caller, as the host's; false (error set)
/// when it is missing, too short or not IPv4.
bool hostAddressOf(const winsock::SockAddr* address, int length, sockaddr_in& host);

/// Writes the host's IPv4 address as a Windows sockaddr_in.
void windowsAddressOf(const sockaddr_in& host, winsock::SockAddr* address);

// ---- the procedures, by part ----

int ZORIVT_WSAAPI startup(std::uint16_t version, winsock::WsaData* data);
int ZORIVT_WSAAPI cleanup();
int ZORIVT_WSAAPI getLastError();
std::uint32_t ZORIVT_WSAAPI inetAddr(const char* text);
char* ZORIVT_WSAAPI inetNtoa(winsock::InAddr address);
std::uint16_t ZORIVT_WSAAPI netToHostShort(std::uint16_t value);
std::uint16_t ZORIVT_WSAAPI hostToNetShort(std::uint16_t value);
std::uint32_t ZORIVT_WSAAPI netToHostLong(std::uint32_t value);

int ZORIVT_WSAAPI getHostName(char* name, int length);
winsock::HostEnt* ZORIVT_WSAAPI getHostByName(const char* name);
winsock::HostEnt* ZORIVT_WSAAPI getHostByAddr(const char* address, int length, int type);
winsock::ServEnt* ZORIVT_WSAAPI getServByName(const char* name, const char* protocol);
winsock::ProtoEnt* ZORIVT_WSAAPI getProtoByName(const char* name);

Socket ZORIVT_WSAAPI openSocket(int family, int type, int protocol);
int ZORIVT_WSAAPI setSockOpt(Socket s, int level, int option, const char* value, int length);
int ZORIVT_WSAAPI bindSocket(Socket s, const winsock::SockAddr* address, int length);
int ZORIVT_WSAAPI connectSocket(Socket s, const winsock::SockAddr* address, int length);
int ZORIVT_WSAAPI closeSocket(Socket s);
int ZORIVT_WSAAPI sendTo(Socket s, const char* data, int length, int flags,
                         const winsock::SockAddr* to, int toLength);
int ZORIVT_WSAAPI recvFrom(Socket s, char* buffer, int length, int flags, winsock::SockAddr* from,
                           int* fromLength);
int ZORIVT_WSAAPI selectSockets(int count, winsock::FdSet* readSet, winsock::FdSet* writeSet,
                                winsock::FdSet* errorSet, const winsock::TimeVal* timeout);
int ZORIVT_WSAAPI getSockName(Socket s, winsock::SockAddr* address, int* length);

}  // namespace platform::posix::wsock
