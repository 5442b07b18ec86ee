// POSIX backend only: the built-in "wsock32" of the emulated machine, a
// Winsock 1.1 over BSD sockets: its table of exported procedures. Each one
// behaves as a Winsock 1.1 caller relies on: socket values and
// INVALID_SOCKET, error codes through WSAGetLastError, the Windows structure
// layouts and per-thread result storage (see winsock_parts.h for the parts).
#include "platform/posix/builtin_winsock.h"
#include "platform/posix/winsock_parts.h"

namespace platform::posix {
namespace {

const WinsockExport Exports[] = {
    {"gethostname", exported<winsock::GetHostNameFn>(&wsock::getHostName)},
    {"gethostbyname", exported<winsock::GetHostByNameFn>(&wsock::getHostByName)},
    {"gethostbyaddr", exported<winsock::GetHostByAddrFn>(&wsock::getHostByAddr)},
    {"getservbyname", exported<winsock::GetServByNameFn>(&wsock::getServByName)},
    {"getprotobyname", exported<winsock::GetProtoByNameFn>(&wsock::getProtoByName)},
    {"inet_addr", exported<winsock::InetAddrFn>(&wsock::inetAddr)},
    {"inet_ntoa", exported<winsock::InetNtoaFn>(&wsock::inetNtoa)},
    {"ntohs", exported<winsock::NtohsFn>(&wsock::netToHostShort)},
    {"ntohl", exported<winsock::NtohlFn>(&wsock::netToHostLong)},
    {"htons", exported<winsock::HtonsFn>(&wsock::hostToNetShort)},
    {"WSAStartup", exported<winsock::WsaStartupFn>(&wsock::startup)},
    {"WSACleanup", exported<winsock::WsaCleanupFn>(&wsock::cleanup)},
    {"socket", exported<winsock::SocketFn>(&wsock::openSocket)},
    {"setsockopt", exported<winsock::SetSockOptFn>(&wsock::setSockOpt)},
    {"bind", exported<winsock::BindFn>(&wsock::bindSocket)},
    {"connect", exported<winsock::ConnectFn>(&wsock::connectSocket)},
    {"closesocket", exported<winsock::CloseSocketFn>(&wsock::closeSocket)},
    {"sendto", exported<winsock::SendToFn>(&wsock::sendTo)},
    {"recvfrom", exported<winsock::RecvFromFn>(&wsock::recvFrom)},
    {"select", exported<winsock::SelectFn>(&wsock::selectSockets)},
    {"WSAGetLastError", exported<winsock::WsaGetLastErrorFn>(&wsock::getLastError)},
    {"getsockname", exported<winsock::GetSockNameFn>(&wsock::getSockName)},
};

}  // namespace

ProcedureAddress builtinWinsockProcedure(const char* name) {
  return findExport(Exports, name);
}

}  // namespace platform::posix
