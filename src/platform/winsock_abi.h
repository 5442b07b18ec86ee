// The Winsock 1.1 interface as the checker binds it at run time: the layouts
// of its structures and the signatures of its 22 procedures, in the Windows
// ABI of the program's own width: 32-bit Windows orders the members of
// WSADATA and servent differently from 64-bit Windows. The real wsock32.dll
// and the POSIX backend's built-in one both follow them; nothing here
// includes a system header.
#pragma once

#include <cstddef>
#include <cstdint>

#if UINTPTR_MAX > 0xFFFFFFFFu
#define ZORIVT_WINSOCK_64 1
#else
#define ZORIVT_WINSOCK_64 0
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define ZORIVT_WSAAPI __stdcall
#else
#define ZORIVT_WSAAPI
#endif

namespace winsock {

using Socket = std::uintptr_t;  // SOCKET
constexpr Socket InvalidSocket = ~Socket(0);
constexpr int SocketError = -1;
constexpr std::uint32_t InaddrNone = 0xFFFFFFFFu;
constexpr std::uint32_t InaddrAny = 0;

constexpr int AfInet = 2;
constexpr int SockStream = 1;
constexpr int SockRaw = 3;
constexpr int SolSocket = 0xFFFF;
constexpr int SoReuseAddr = 4;
constexpr std::uint16_t Version11 = 0x0101;  // MAKEWORD(1, 1)

// Error codes (WSAGetLastError): WSABASEERR (10000) plus the BSD number of
// the error, then the start-up and resolver codes.
constexpr int WsaEintr = 10004;
constexpr int WsaEbadf = 10009;
constexpr int WsaEacces = 10013;
constexpr int WsaEfault = 10014;
constexpr int WsaEinval = 10022;
constexpr int WsaEmfile = 10024;
constexpr int WsaEwouldblock = 10035;
constexpr int WsaEinprogress = 10036;
constexpr int WsaEalready = 10037;
constexpr int WsaEnotsock = 10038;
constexpr int WsaEdestaddrreq = 10039;
constexpr int WsaEmsgsize = 10040;
constexpr int WsaEprototype = 10041;
constexpr int WsaEnoprotoopt = 10042;
constexpr int WsaEprotonosupport = 10043;
constexpr int WsaEsocktnosupport = 10044;
constexpr int WsaEopnotsupp = 10045;
constexpr int WsaEpfnosupport = 10046;
constexpr int WsaEafnosupport = 10047;
constexpr int WsaEaddrinuse = 10048;
constexpr int WsaEaddrnotavail = 10049;
constexpr int WsaEnetdown = 10050;
constexpr int WsaEnetunreach = 10051;
constexpr int WsaEnetreset = 10052;
constexpr int WsaEconnaborted = 10053;
constexpr int WsaEconnreset = 10054;
constexpr int WsaEnobufs = 10055;
constexpr int WsaEisconn = 10056;
constexpr int WsaEnotconn = 10057;
constexpr int WsaEshutdown = 10058;
constexpr int WsaEtoomanyrefs = 10059;
constexpr int WsaEtimedout = 10060;
constexpr int WsaEconnrefused = 10061;
constexpr int WsaEloop = 10062;
constexpr int WsaEnametoolong = 10063;
constexpr int WsaEhostdown = 10064;
constexpr int WsaEhostunreach = 10065;
constexpr int WsaSysNotReady = 10091;
constexpr int WsaVerNotSupported = 10092;
constexpr int WsaNotInitialised = 10093;
constexpr int WsaServiceNotFound = 10108;  // WSASERVICE_NOT_FOUND
constexpr int WsaHostNotFound = 11001;
constexpr int WsaTryAgain = 11002;
constexpr int WsaNoRecovery = 11003;
constexpr int WsaNoData = 11004;

constexpr int DescriptionLength = 256;
constexpr int SystemStatusLength = 128;
constexpr int FdSetSize = 64;

struct HostEnt {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};

#if ZORIVT_WINSOCK_64
struct ServEnt {  // 64-bit: the protocol before the port
  char* s_name;
  char** s_aliases;
  char* s_proto;
  short s_port;
};
#else
struct ServEnt {  // 32-bit: the port before the protocol
  char* s_name;
  char** s_aliases;
  short s_port;
  char* s_proto;
};
#endif

struct ProtoEnt {
  char* p_name;
  char** p_aliases;
  short p_proto;
};

#if ZORIVT_WINSOCK_64
struct WsaData {  // 64-bit: the counts and vendor pointer before the texts
  std::uint16_t wVersion;
  std::uint16_t wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[DescriptionLength + 1];
  char szSystemStatus[SystemStatusLength + 1];
};
#else
struct WsaData {  // 32-bit: the texts first
  std::uint16_t wVersion;
  std::uint16_t wHighVersion;
  char szDescription[DescriptionLength + 1];
  char szSystemStatus[SystemStatusLength + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
};
#endif

struct InAddr {
  std::uint32_t s_addr;  // network byte order
};

struct SockAddr {
  std::uint16_t sa_family;
  char sa_data[14];
};

struct SockAddrIn {
  std::int16_t sin_family;
  std::uint16_t sin_port;  // network byte order
  InAddr sin_addr;
  char sin_zero[8];
};

struct FdSet {
  std::uint32_t fd_count;
  Socket fd_array[FdSetSize];
};

struct TimeVal {
  std::int32_t tv_sec;  // a Windows long
  std::int32_t tv_usec;
};

// Every member's offset and every size, as the Windows ABI of this width
// has them (the Windows build's tests also compare them with the SDK's own
// <winsock.h>, for both widths).
#define ZORIVT_ABI(type, member, at32, at64) \
  static_assert(offsetof(type, member) == (ZORIVT_WINSOCK_64 ? (at64) : (at32)), #type "." #member)
#define ZORIVT_ABI_SIZE(type, size32, size64) \
  static_assert(sizeof(type) == (ZORIVT_WINSOCK_64 ? (size64) : (size32)), "size of " #type)

ZORIVT_ABI(HostEnt, h_name, 0, 0);
ZORIVT_ABI(HostEnt, h_aliases, 4, 8);
ZORIVT_ABI(HostEnt, h_addrtype, 8, 16);
ZORIVT_ABI(HostEnt, h_length, 10, 18);
ZORIVT_ABI(HostEnt, h_addr_list, 12, 24);
ZORIVT_ABI_SIZE(HostEnt, 16, 32);

ZORIVT_ABI(ServEnt, s_name, 0, 0);
ZORIVT_ABI(ServEnt, s_aliases, 4, 8);
ZORIVT_ABI(ServEnt, s_port, 8, 24);
ZORIVT_ABI(ServEnt, s_proto, 12, 16);
ZORIVT_ABI_SIZE(ServEnt, 16, 32);

ZORIVT_ABI(ProtoEnt, p_name, 0, 0);
ZORIVT_ABI(ProtoEnt, p_aliases, 4, 8);
ZORIVT_ABI(ProtoEnt, p_proto, 8, 16);
ZORIVT_ABI_SIZE(ProtoEnt, 12, 24);

ZORIVT_ABI(WsaData, wVersion, 0, 0);
ZORIVT_ABI(WsaData, wHighVersion, 2, 2);
ZORIVT_ABI(WsaData, szDescription, 4, 16);
ZORIVT_ABI(WsaData, szSystemStatus, 261, 273);
ZORIVT_ABI(WsaData, iMaxSockets, 390, 4);
ZORIVT_ABI(WsaData, iMaxUdpDg, 392, 6);
ZORIVT_ABI(WsaData, lpVendorInfo, 396, 8);
ZORIVT_ABI_SIZE(WsaData, 400, 408);

ZORIVT_ABI(InAddr, s_addr, 0, 0);
ZORIVT_ABI_SIZE(InAddr, 4, 4);

ZORIVT_ABI(SockAddr, sa_family, 0, 0);
ZORIVT_ABI(SockAddr, sa_data, 2, 2);
ZORIVT_ABI_SIZE(SockAddr, 16, 16);

ZORIVT_ABI(SockAddrIn, sin_family, 0, 0);
ZORIVT_ABI(SockAddrIn, sin_port, 2, 2);
ZORIVT_ABI(SockAddrIn, sin_addr, 4, 4);
ZORIVT_ABI(SockAddrIn, sin_zero, 8, 8);
ZORIVT_ABI_SIZE(SockAddrIn, 16, 16);

ZORIVT_ABI(FdSet, fd_count, 0, 0);
ZORIVT_ABI(FdSet, fd_array, 4, 8);
ZORIVT_ABI_SIZE(FdSet, 260, 520);

ZORIVT_ABI(TimeVal, tv_sec, 0, 0);
ZORIVT_ABI(TimeVal, tv_usec, 4, 4);
ZORIVT_ABI_SIZE(TimeVal, 8, 8);

#undef ZORIVT_ABI
#undef ZORIVT_ABI_SIZE

using GetHostNameFn = int(ZORIVT_WSAAPI*)(char* name, int length);
using GetHostByNameFn = HostEnt*(ZORIVT_WSAAPI*)(const char* name);
using GetHostByAddrFn = HostEnt*(ZORIVT_WSAAPI*)(const char* address, int length, int type);
using GetServByNameFn = ServEnt*(ZORIVT_WSAAPI*)(const char* name, const char* protocol);
using GetProtoByNameFn = ProtoEnt*(ZORIVT_WSAAPI*)(const char* name);
using InetAddrFn = std::uint32_t(ZORIVT_WSAAPI*)(const char* text);
using InetNtoaFn = char*(ZORIVT_WSAAPI*)(InAddr address);
using NtohsFn = std::uint16_t(ZORIVT_WSAAPI*)(std::uint16_t value);
using NtohlFn = std::uint32_t(ZORIVT_WSAAPI*)(std::uint32_t value);
using HtonsFn = std::uint16_t(ZORIVT_WSAAPI*)(std::uint16_t value);
using WsaStartupFn = int(ZORIVT_WSAAPI*)(std::uint16_t version, WsaData* data);
using WsaCleanupFn = int(ZORIVT_WSAAPI*)();
using SocketFn = Socket(ZORIVT_WSAAPI*)(int family, int type, int protocol);
using SetSockOptFn = int(ZORIVT_WSAAPI*)(Socket s, int level, int option, const char* value,
                                         int length);
using BindFn = int(ZORIVT_WSAAPI*)(Socket s, const SockAddr* address, int length);
using ConnectFn = int(ZORIVT_WSAAPI*)(Socket s, const SockAddr* address, int length);
using CloseSocketFn = int(ZORIVT_WSAAPI*)(Socket s);
using SendToFn = int(ZORIVT_WSAAPI*)(Socket s, const char* data, int length, int flags,
                                     const SockAddr* to, int toLength);
using RecvFromFn = int(ZORIVT_WSAAPI*)(Socket s, char* buffer, int length, int flags,
                                       SockAddr* from, int* fromLength);
using SelectFn = int(ZORIVT_WSAAPI*)(int count, FdSet* read, FdSet* write, FdSet* error,
                                     const TimeVal* timeout);
using WsaGetLastErrorFn = int(ZORIVT_WSAAPI*)();
using GetSockNameFn = int(ZORIVT_WSAAPI*)(Socket s, SockAddr* address, int* length);

}  // namespace winsock
