#include "net/socket_library.h"

#include <cstring>
#include <memory>

#include "driver/message.h"

const ProcedureEntry SocketProcedureTable[SocketProcedureCount + 1] = {
    {"gethostname", 0},     {"gethostbyname", 0}, {"gethostbyaddr", 0}, {"getservbyname", 0},
    {"getprotobyname", 0},  {"inet_addr", 0},     {"inet_ntoa", 0},     {"ntohs", 0},
    {"ntohl", 0},           {"htons", 0},         {"WSAStartup", 0},    {"WSACleanup", 0},
    {"socket", 0},          {"setsockopt", 0},    {"bind", 0},          {"connect", 0},
    {"closesocket", 0},     {"sendto", 0},        {"recvfrom", 0},      {"select", 0},
    {"WSAGetLastError", 0}, {"getsockname", 0},   {nullptr, 0},
};

namespace {

/// The socket layer of a run: started by the first probe that gets past the
/// library binding, cleaned up when the run ends.
struct SocketSession : RunResource {
  LibraryRef library;
  winsock::WsaCleanupFn cleanup = nullptr;
  bool startFailed = false;

  ~SocketSession() override {
    if (cleanup != nullptr) cleanup();
    library.release();
  }
};

}  // namespace

bool SocketLibrary::open(ReportLog& log) {
  // A probe may wait long for the network: what the run reported before it
  // goes out first.
  log.writeOut();
  const char* const names[] = {"wsock32"};
  if (!loadLibraries(log, &library_, names, 1, SocketProcedureTable, slots_)) return false;
  std::unique_ptr<RunResource>& slot = log.run().socketSession();
  if (slot == nullptr) slot = std::make_unique<SocketSession>();
  SocketSession& session = static_cast<SocketSession&>(*slot);
  // A failed start-up is final for the run: every probe stops here, as the
  // first one did, instead of failing call by call.
  if (session.startFailed) return false;
  if (session.cleanup != nullptr) return true;

  winsock::WsaData data;
  std::memset(&data, 0, sizeof data);
  const int result = bound<winsock::WsaStartupFn>(SlotWsaStartup)(winsock::Version11, &data);
  if (result == 0) {
    report(log, msg::CHK0301I, Str(data.szDescription, winsock::DescriptionLength));
  } else {
    report(log, msg::CHK0300R, Str(data.szSystemStatus, winsock::SystemStatusLength));
    session.startFailed = true;
  }
  session.library.share(library_);
  session.cleanup = bound<winsock::WsaCleanupFn>(SlotWsaCleanup);
  return !session.startFailed;
}

winsock::SockAddrIn socketAddress(std::uint32_t address, std::uint16_t networkPort) {
  winsock::SockAddrIn result;
  std::memset(&result, 0, sizeof result);
  result.sin_family = winsock::AfInet;
  result.sin_port = networkPort;
  result.sin_addr.s_addr = address;
  return result;
}
