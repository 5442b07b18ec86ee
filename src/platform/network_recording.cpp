#include "platform/network_recording.h"

#include <cstring>

#include "platform/network_text.h"
#include "platform/winsock_abi.h"

namespace platform {
namespace {

namespace nt = network_text;
using winsock::Socket;

/// Lists longer than this in a host, service or protocol entry are cut: no
/// Winsock gives so many, and a broken one must not make the file endless.
constexpr int MaxListEntries = 256;

struct RealProcedures {
  winsock::GetHostNameFn getHostName = nullptr;
  winsock::GetHostByNameFn getHostByName = nullptr;
  winsock::GetHostByAddrFn getHostByAddr = nullptr;
  winsock::GetServByNameFn getServByName = nullptr;
  winsock::GetProtoByNameFn getProtoByName = nullptr;
  winsock::InetAddrFn inetAddr = nullptr;
  winsock::InetNtoaFn inetNtoa = nullptr;
  winsock::WsaStartupFn startup = nullptr;
  winsock::WsaCleanupFn cleanup = nullptr;
  winsock::SocketFn socket = nullptr;
  winsock::SetSockOptFn setSockOpt = nullptr;
  winsock::BindFn bind = nullptr;
  winsock::ConnectFn connect = nullptr;
  winsock::CloseSocketFn closeSocket = nullptr;
  winsock::SendToFn sendTo = nullptr;
  winsock::RecvFromFn recvFrom = nullptr;
  winsock::SelectFn select = nullptr;
  winsock::GetSockNameFn getSockName = nullptr;
  winsock::WsaGetLastErrorFn lastError = nullptr;
};

RealProcedures real;
bool recording = false;

// Never destroyed: the run's socket session cleans up from a static
// destructor at exit, and that call is recorded too.
std::vector<nt::CallRecord>& records() {
  static auto* calls = new std::vector<nt::CallRecord>();
  return *calls;
}

nt::CallRecord call(const char* procedure, std::string key, std::string result) {
  nt::CallRecord record;
  record.procedure = procedure;
  record.key = std::move(key);
  record.result = std::move(result);
  return record;
}

/// Keeps the record; when the call failed, with the error code it left.
void keep(nt::CallRecord&& record, bool failed) {
  if (!recording) return;
  if (failed) {
    record.failed = true;
    record.error = real.lastError != nullptr ? real.lastError() : 0;
  }
  records().push_back(std::move(record));
}

void addField(nt::CallRecord& record, const char* name, std::string value) {
  record.fields.emplace_back(name, std::move(value));
}

void addTextList(nt::CallRecord& record, const char* name, char** list) {
  for (int i = 0; list != nullptr && i < MaxListEntries && list[i] != nullptr; ++i) {
    addField(record, name, nt::quoted(list[i]));
  }
}

std::string boundedText(const char* text, std::size_t room) {
  std::size_t size = 0;
  while (size < room && text[size] != '\0') ++size;
  return nt::quotedBytes(text, size);
}

std::uint16_t hostOrder16(std::uint16_t network) {
  unsigned char bytes[2];
  std::memcpy(bytes, &network, 2);
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

winsock::HostEnt* keepHost(nt::CallRecord&& record, winsock::HostEnt* entry) {
  if (entry != nullptr) {
    addField(record, "name", nt::quoted(entry->h_name));
    addTextList(record, "alias", entry->h_aliases);
    // Winsock 1.1 gives IPv4 entries only; another kind keeps no address.
    if (entry->h_addrtype == winsock::AfInet && entry->h_length == 4) {
      for (int i = 0;
           entry->h_addr_list != nullptr && i < MaxListEntries && entry->h_addr_list[i] != nullptr;
           ++i) {
        std::uint32_t address;
        std::memcpy(&address, entry->h_addr_list[i], 4);
        addField(record, "address", nt::addressText(address));
      }
    }
  }
  keep(std::move(record), entry == nullptr);
  return entry;
}

// ---- the wrappers, one per recorded procedure ----

int ZORIVT_WSAAPI getHostName(char* name, int length) {
  const int result = real.getHostName(name, length);
  nt::CallRecord record = call("gethostname", nt::key::getHostName(length), std::to_string(result));
  if (result == 0 && name != nullptr && length > 0) {
    addField(record, "name", boundedText(name, static_cast<std::size_t>(length)));
  }
  keep(std::move(record), result != 0);
  return result;
}

winsock::HostEnt* ZORIVT_WSAAPI getHostByName(const char* name) {
  winsock::HostEnt* entry = real.getHostByName(name);
  return keepHost(call("gethostbyname", nt::key::getHostByName(name), entry ? "found" : "null"),
                  entry);
}

winsock::HostEnt* ZORIVT_WSAAPI getHostByAddr(const char* address, int length, int type) {
  winsock::HostEnt* entry = real.getHostByAddr(address, length, type);
  return keepHost(call("gethostbyaddr", nt::key::getHostByAddr(address, length, type),
                       entry ? "found" : "null"),
                  entry);
}

winsock::ServEnt* ZORIVT_WSAAPI getServByName(const char* name, const char* protocol) {
  winsock::ServEnt* entry = real.getServByName(name, protocol);
  nt::CallRecord record =
      call("getservbyname", nt::key::getServByName(name, protocol), entry ? "found" : "null");
  if (entry != nullptr) {
    addField(record, "name", nt::quoted(entry->s_name));
    addTextList(record, "alias", entry->s_aliases);
    addField(record, "port",
             std::to_string(hostOrder16(static_cast<std::uint16_t>(entry->s_port))));
    addField(record, "protocol", nt::quoted(entry->s_proto));
  }
  keep(std::move(record), entry == nullptr);
  return entry;
}

winsock::ProtoEnt* ZORIVT_WSAAPI getProtoByName(const char* name) {
  winsock::ProtoEnt* entry = real.getProtoByName(name);
  nt::CallRecord record =
      call("getprotobyname", nt::key::getProtoByName(name), entry ? "found" : "null");
  if (entry != nullptr) {
    addField(record, "name", nt::quoted(entry->p_name));
    addTextList(record, "alias", entry->p_aliases);
    addField(record, "number", std::to_string(entry->p_proto));
  }
  keep(std::move(record), entry == nullptr);
  return entry;
}

std::uint32_t ZORIVT_WSAAPI inetAddr(const char* text) {
  const std::uint32_t address = real.inetAddr(text);
  keep(call("inet_addr", nt::key::inetAddr(text), nt::addressText(address)), false);
  return address;
}

char* ZORIVT_WSAAPI inetNtoa(winsock::InAddr address) {
  char* text = real.inetNtoa(address);
  keep(call("inet_ntoa", nt::key::inetNtoa(address), nt::quoted(text)), false);
  return text;
}

int ZORIVT_WSAAPI startup(std::uint16_t version, winsock::WsaData* data) {
  const int result = real.startup(version, data);
  nt::CallRecord record = call("WSAStartup", nt::key::startup(version), std::to_string(result));
  if (data != nullptr) {
    addField(record, "version", nt::versionText(data->wVersion));
    addField(record, "high-version", nt::versionText(data->wHighVersion));
    addField(record, "description", boundedText(data->szDescription, sizeof data->szDescription));
    addField(record, "status", boundedText(data->szSystemStatus, sizeof data->szSystemStatus));
    addField(record, "max-sockets", std::to_string(data->iMaxSockets));
    addField(record, "max-datagram", std::to_string(data->iMaxUdpDg));
  }
  // WSAStartup returns its error code instead of setting one.
  keep(std::move(record), false);
  return result;
}

int ZORIVT_WSAAPI cleanup() {
  const int result = real.cleanup();
  keep(call("WSACleanup", std::string(), std::to_string(result)), result != 0);
  return result;
}

Socket ZORIVT_WSAAPI openSocket(int family, int type, int protocol) {
  const Socket s = real.socket(family, type, protocol);
  keep(call("socket", nt::key::socket(family, type, protocol), nt::socketText(s)),
       s == winsock::InvalidSocket);
  return s;
}

int ZORIVT_WSAAPI setSockOpt(Socket s, int level, int option, const char* value, int length) {
  const int result = real.setSockOpt(s, level, option, value, length);
  keep(call("setsockopt", nt::key::setSockOpt(s, level, option, value, length),
            std::to_string(result)),
       result != 0);
  return result;
}

int ZORIVT_WSAAPI bindSocket(Socket s, const winsock::SockAddr* address, int length) {
  const int result = real.bind(s, address, length);
  keep(call("bind", nt::key::withAddress(s, address, length), std::to_string(result)), result != 0);
  return result;
}

int ZORIVT_WSAAPI connectSocket(Socket s, const winsock::SockAddr* address, int length) {
  const int result = real.connect(s, address, length);
  keep(call("connect", nt::key::withAddress(s, address, length), std::to_string(result)),
       result != 0);
  return result;
}

int ZORIVT_WSAAPI closeSocket(Socket s) {
  const int result = real.closeSocket(s);
  keep(call("closesocket", nt::socketText(s), std::to_string(result)), result != 0);
  return result;
}

int ZORIVT_WSAAPI sendTo(Socket s, const char* data, int length, int flags,
                         const winsock::SockAddr* to, int toLength) {
  const int result = real.sendTo(s, data, length, flags, to, toLength);
  keep(
      call("sendto", nt::key::sendTo(s, data, length, flags, to, toLength), std::to_string(result)),
      result < 0);
  return result;
}

int ZORIVT_WSAAPI recvFrom(Socket s, char* buffer, int length, int flags, winsock::SockAddr* from,
                           int* fromLength) {
  const int result = real.recvFrom(s, buffer, length, flags, from, fromLength);
  nt::CallRecord record =
      call("recvfrom", nt::key::recvFrom(s, length, flags), std::to_string(result));
  if (result > 0 && buffer != nullptr) {
    addField(record, "data",
             nt::quotedBytes(buffer, static_cast<std::size_t>(result < length ? result : length)));
  }
  if (result >= 0 && from != nullptr && fromLength != nullptr) {
    addField(record, "from", nt::endpointText(from, *fromLength));
  }
  keep(std::move(record), result < 0);
  return result;
}

int ZORIVT_WSAAPI selectSockets(int count, winsock::FdSet* readSet, winsock::FdSet* writeSet,
                                winsock::FdSet* errorSet, const winsock::TimeVal* timeout) {
  // The key holds the sets as the caller passed them, before select
  // rewrites them; the count and the time-out decide nothing on Winsock's
  // side that a replay could reproduce.
  std::string key = nt::key::select(readSet, writeSet, errorSet);
  const int result = real.select(count, readSet, writeSet, errorSet, timeout);
  nt::CallRecord record = call("select", std::move(key), std::to_string(result));
  if (result >= 0) {
    addField(record, "read", nt::setText(readSet));
    addField(record, "write", nt::setText(writeSet));
    addField(record, "error", nt::setText(errorSet));
  }
  keep(std::move(record), result < 0);
  return result;
}

int ZORIVT_WSAAPI getSockName(Socket s, winsock::SockAddr* address, int* length) {
  const int result = real.getSockName(s, address, length);
  nt::CallRecord record = call("getsockname", nt::socketText(s), std::to_string(result));
  if (result == 0 && address != nullptr && length != nullptr) {
    addField(record, "address", nt::endpointText(address, *length));
  }
  keep(std::move(record), result != 0);
  return result;
}

/// Keeps the real procedure in `slot` and hands out the wrapper; the
/// explicit type makes the wrapper's signature the one the caller binds.
template <typename Fn>
ProcedureAddress wrap(Fn& slot, ProcedureAddress realProcedure, Fn wrapper) {
  slot = reinterpret_cast<Fn>(realProcedure);
  return reinterpret_cast<ProcedureAddress>(wrapper);
}

/// The summary's answer: the first address, name, port or number a lookup
/// gave, else the result itself.
std::string answerOf(const nt::CallRecord& record) {
  std::string answer = record.result;
  for (const char* name : {"address", "port", "number", "name"}) {
    if (const std::string* value = record.field(name)) {
      answer = *value;
      break;
    }
  }
  if (record.failed) answer += " error " + std::to_string(record.error);
  return answer;
}

}  // namespace

void startNetworkRecording() {
  recording = true;
}

bool networkRecordingActive() {
  return recording;
}

void stopNetworkRecording() {
  recording = false;
  records().clear();
}

std::string networkRecordingText() {
  std::string text;
  for (const nt::CallRecord& record : records()) text += nt::formatRecord(record);
  return text;
}

std::vector<std::string> networkRecordingSummary() {
  std::vector<std::string> lines;
  for (const nt::CallRecord& record : records()) {
    std::string line = record.procedure;
    if (!record.key.empty()) line += " " + record.key;
    lines.push_back(line + " -> " + answerOf(record));
  }
  return lines;
}

ProcedureAddress recordingProcedure(const char* name, ProcedureAddress realProcedure,
                                    ProcedureAddress realLastError) {
  if (name == nullptr) return realProcedure;
  if (realProcedure == nullptr) {
    // A procedure this wsock32 lacks: the replay lacks it too.
    keep(call("GetProcAddress", nt::key::procedure(name), "missing"), false);
    return nullptr;
  }
  if (realLastError != nullptr) {
    real.lastError = reinterpret_cast<winsock::WsaGetLastErrorFn>(realLastError);
  }
  const std::string n = name;
  if (n == "gethostname") return wrap(real.getHostName, realProcedure, &getHostName);
  if (n == "gethostbyname") return wrap(real.getHostByName, realProcedure, &getHostByName);
  if (n == "gethostbyaddr") return wrap(real.getHostByAddr, realProcedure, &getHostByAddr);
  if (n == "getservbyname") return wrap(real.getServByName, realProcedure, &getServByName);
  if (n == "getprotobyname") return wrap(real.getProtoByName, realProcedure, &getProtoByName);
  if (n == "inet_addr") return wrap(real.inetAddr, realProcedure, &inetAddr);
  if (n == "inet_ntoa") return wrap(real.inetNtoa, realProcedure, &inetNtoa);
  if (n == "WSAStartup") return wrap(real.startup, realProcedure, &startup);
  if (n == "WSACleanup") return wrap(real.cleanup, realProcedure, &cleanup);
  if (n == "socket") return wrap(real.socket, realProcedure, &openSocket);
  if (n == "setsockopt") return wrap(real.setSockOpt, realProcedure, &setSockOpt);
  if (n == "bind") return wrap(real.bind, realProcedure, &bindSocket);
  if (n == "connect") return wrap(real.connect, realProcedure, &connectSocket);
  if (n == "closesocket") return wrap(real.closeSocket, realProcedure, &closeSocket);
  if (n == "sendto") return wrap(real.sendTo, realProcedure, &sendTo);
  if (n == "recvfrom") return wrap(real.recvFrom, realProcedure, &recvFrom);
  if (n == "select") return wrap(real.select, realProcedure, &selectSockets);
  if (n == "getsockname") return wrap(real.getSockName, realProcedure, &getSockName);
  return realProcedure;  // ntohs, ntohl, htons, WSAGetLastError, and any other
}

}  // namespace platform
