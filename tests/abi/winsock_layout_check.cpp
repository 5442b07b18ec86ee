// Compile-time comparison of the checker's Winsock layouts with the SDK's
// own <winsock.h>, member by member. Compiled by both Windows compilers
// (i686 and x86_64): a layout that differs fails to compile.
#include "platform/winsock_abi.h"

// After the checker's header: <winsock.h> defines s_addr as a macro.
#include <winsock.h>

#include <cstddef>

#define SAME_MEMBER(ours, theirs, member)                                    \
  static_assert(offsetof(winsock::ours, member) == offsetof(theirs, member), \
                #ours "." #member " lies where <winsock.h> has it")
#define SAME_SIZE(ours, theirs) \
  static_assert(sizeof(winsock::ours) == sizeof(theirs), "size of " #ours)

SAME_MEMBER(HostEnt, hostent, h_name);
SAME_MEMBER(HostEnt, hostent, h_aliases);
SAME_MEMBER(HostEnt, hostent, h_addrtype);
SAME_MEMBER(HostEnt, hostent, h_length);
SAME_MEMBER(HostEnt, hostent, h_addr_list);
SAME_SIZE(HostEnt, hostent);

SAME_MEMBER(ServEnt, servent, s_name);
SAME_MEMBER(ServEnt, servent, s_aliases);
SAME_MEMBER(ServEnt, servent, s_port);
SAME_MEMBER(ServEnt, servent, s_proto);
SAME_SIZE(ServEnt, servent);

SAME_MEMBER(ProtoEnt, protoent, p_name);
SAME_MEMBER(ProtoEnt, protoent, p_aliases);
SAME_MEMBER(ProtoEnt, protoent, p_proto);
SAME_SIZE(ProtoEnt, protoent);

SAME_MEMBER(WsaData, WSADATA, wVersion);
SAME_MEMBER(WsaData, WSADATA, wHighVersion);
SAME_MEMBER(WsaData, WSADATA, szDescription);
SAME_MEMBER(WsaData, WSADATA, szSystemStatus);
SAME_MEMBER(WsaData, WSADATA, iMaxSockets);
SAME_MEMBER(WsaData, WSADATA, iMaxUdpDg);
SAME_MEMBER(WsaData, WSADATA, lpVendorInfo);
SAME_SIZE(WsaData, WSADATA);
static_assert(winsock::DescriptionLength == WSADESCRIPTION_LEN, "description length");
static_assert(winsock::SystemStatusLength == WSASYS_STATUS_LEN, "status length");

SAME_SIZE(InAddr, in_addr);
SAME_MEMBER(SockAddr, sockaddr, sa_family);
SAME_MEMBER(SockAddr, sockaddr, sa_data);
SAME_SIZE(SockAddr, sockaddr);
SAME_MEMBER(SockAddrIn, sockaddr_in, sin_family);
SAME_MEMBER(SockAddrIn, sockaddr_in, sin_port);
SAME_MEMBER(SockAddrIn, sockaddr_in, sin_addr);
SAME_MEMBER(SockAddrIn, sockaddr_in, sin_zero);
SAME_SIZE(SockAddrIn, sockaddr_in);

SAME_MEMBER(FdSet, fd_set, fd_count);
SAME_MEMBER(FdSet, fd_set, fd_array);
SAME_SIZE(FdSet, fd_set);
static_assert(winsock::FdSetSize == FD_SETSIZE, "fd_set capacity");
SAME_MEMBER(TimeVal, timeval, tv_sec);
SAME_MEMBER(TimeVal, timeval, tv_usec);
SAME_SIZE(TimeVal, timeval);

static_assert(sizeof(winsock::Socket) == sizeof(SOCKET), "SOCKET");
static_assert(winsock::InvalidSocket == INVALID_SOCKET, "INVALID_SOCKET");

// Every constant, against the SDK's macro of the same meaning.
#define SAME_VALUE(ours, theirs) static_assert(winsock::ours == (theirs), #ours " is " #theirs)
SAME_VALUE(AfInet, AF_INET);
SAME_VALUE(SockStream, SOCK_STREAM);
SAME_VALUE(SockRaw, SOCK_RAW);
SAME_VALUE(SolSocket, SOL_SOCKET);
SAME_VALUE(SoReuseAddr, SO_REUSEADDR);
SAME_VALUE(InaddrNone, INADDR_NONE);
SAME_VALUE(InaddrAny, INADDR_ANY);
SAME_VALUE(SocketError, SOCKET_ERROR);
static_assert(winsock::Version11 == MAKEWORD(1, 1), "version 1.1");
SAME_VALUE(WsaEintr, WSAEINTR);
SAME_VALUE(WsaEbadf, WSAEBADF);
SAME_VALUE(WsaEacces, WSAEACCES);
SAME_VALUE(WsaEfault, WSAEFAULT);
SAME_VALUE(WsaEinval, WSAEINVAL);
SAME_VALUE(WsaEmfile, WSAEMFILE);
SAME_VALUE(WsaEwouldblock, WSAEWOULDBLOCK);
SAME_VALUE(WsaEinprogress, WSAEINPROGRESS);
SAME_VALUE(WsaEalready, WSAEALREADY);
SAME_VALUE(WsaEnotsock, WSAENOTSOCK);
SAME_VALUE(WsaEdestaddrreq, WSAEDESTADDRREQ);
SAME_VALUE(WsaEmsgsize, WSAEMSGSIZE);
SAME_VALUE(WsaEprototype, WSAEPROTOTYPE);
SAME_VALUE(WsaEnoprotoopt, WSAENOPROTOOPT);
SAME_VALUE(WsaEprotonosupport, WSAEPROTONOSUPPORT);
SAME_VALUE(WsaEsocktnosupport, WSAESOCKTNOSUPPORT);
SAME_VALUE(WsaEopnotsupp, WSAEOPNOTSUPP);
SAME_VALUE(WsaEpfnosupport, WSAEPFNOSUPPORT);
SAME_VALUE(WsaEafnosupport, WSAEAFNOSUPPORT);
SAME_VALUE(WsaEaddrinuse, WSAEADDRINUSE);
SAME_VALUE(WsaEaddrnotavail, WSAEADDRNOTAVAIL);
SAME_VALUE(WsaEnetdown, WSAENETDOWN);
SAME_VALUE(WsaEnetunreach, WSAENETUNREACH);
SAME_VALUE(WsaEnetreset, WSAENETRESET);
SAME_VALUE(WsaEconnaborted, WSAECONNABORTED);
SAME_VALUE(WsaEconnreset, WSAECONNRESET);
SAME_VALUE(WsaEnobufs, WSAENOBUFS);
SAME_VALUE(WsaEisconn, WSAEISCONN);
SAME_VALUE(WsaEnotconn, WSAENOTCONN);
SAME_VALUE(WsaEshutdown, WSAESHUTDOWN);
SAME_VALUE(WsaEtoomanyrefs, WSAETOOMANYREFS);
SAME_VALUE(WsaEtimedout, WSAETIMEDOUT);
SAME_VALUE(WsaEconnrefused, WSAECONNREFUSED);
SAME_VALUE(WsaEloop, WSAELOOP);
SAME_VALUE(WsaEnametoolong, WSAENAMETOOLONG);
SAME_VALUE(WsaEhostdown, WSAEHOSTDOWN);
SAME_VALUE(WsaEhostunreach, WSAEHOSTUNREACH);
SAME_VALUE(WsaSysNotReady, WSASYSNOTREADY);
SAME_VALUE(WsaVerNotSupported, WSAVERNOTSUPPORTED);
SAME_VALUE(WsaNotInitialised, WSANOTINITIALISED);
SAME_VALUE(WsaHostNotFound, WSAHOST_NOT_FOUND);
SAME_VALUE(WsaTryAgain, WSATRY_AGAIN);
SAME_VALUE(WsaNoRecovery, WSANO_RECOVERY);
SAME_VALUE(WsaNoData, WSANO_DATA);
