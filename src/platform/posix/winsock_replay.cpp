// POSIX backend only: the built-in wsock32 answering from the machine's
// `network` file, the Winsock calls of a recorded run (network_text.h),
// instead of the host's network and the machine's TCP/IP configuration
// files. A call takes the next record not yet used of the same procedure
// with the same identifying arguments, so a replayed run gets the recorded
// answers in their order, and a wait that timed out answers at once. A call
// without a record fails as on a machine without a network, and says so
// once on standard error. The faults of the machine's faults file apply as
// they do to the live emulation.
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/network_text.h"
#include "platform/posix/builtin_winsock.h"
#include "platform/posix/faults.h"
#include "platform/posix/machine.h"
#include "platform/posix/winsock_parts.h"

namespace platform::posix {
namespace {

namespace nt = network_text;
using winsock::Socket;

// What a call without a record gets: the errors of a machine without a
// network (a name not found, a host that cannot be reached, the network
// down), and for select a time-out.
constexpr int NoAnswerName = winsock::WsaHostNotFound;
constexpr int NoAnswerEntry = winsock::WsaNoData;
constexpr int NoAnswerReach = winsock::WsaEhostunreach;
constexpr int NoAnswerOther = winsock::WsaEnetdown;

struct Replay {
  HostFileIdentity from;
  std::vector<nt::CallRecord> records;
  std::map<std::string, std::vector<std::size_t>> byCall;  // "procedure key": records in order
  std::map<std::string, std::size_t> used;                 // "procedure key": records taken
  std::set<std::string> reported;                          // calls already said to lack one
};

Replay& replay() {
  static Replay* state = new Replay();  // never destroyed: calls come from static destructors
  return *state;
}

std::string readWhole(std::FILE* file) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
    text.append(buffer, count);
    if (count < sizeof buffer) return text;
  }
}

/// The records of the current machine's network file, read again when the
/// file or the machine has changed (which starts the replay anew).
Replay& currentReplay() {
  Replay& state = replay();
  HostFileIdentity identity;
  identity.describe(Machine::current().machineFile("network"));
  if (identity == state.from) return state;
  state = Replay();
  state.from = identity;
  std::FILE* file = openRegularHostStream(identity.path);
  if (file == nullptr) {
    warnAboutMachine("cannot read the network file", identity.path,
                     "every network call fails as without a network");
    return state;
  }
  const std::string text = readWhole(file);
  std::fclose(file);
  std::size_t skipped = 0;
  state.records = nt::parseRecords(text, skipped);
  if (skipped > 0) {
    warnAboutMachine("lines of the network file that are not calls are ignored", identity.path,
                     "their calls fail as without a network");
  }
  for (std::size_t i = 0; i < state.records.size(); ++i) {
    const nt::CallRecord& record = state.records[i];
    state.byCall[record.procedure + " " + record.key].push_back(i);
  }
  return state;
}

void reportOnce(const std::string& call, const char* what) {
  Replay& state = replay();
  if (!state.reported.insert(call).second) return;
  std::fprintf(stderr, "zorivt: machine: network replay %s %s\n", what, call.c_str());
}

std::string callText(const char* procedure, const std::string& key) {
  return key.empty() ? std::string(procedure) : std::string(procedure) + " " + key;
}

/// The next unused record of this call; null (said on standard error) when
/// there is none. `quiet` leaves the lack unsaid, for calls that then fall
/// back on the emulation.
const nt::CallRecord* take(const char* procedure, const std::string& key, bool quiet = false) {
  Replay& state = currentReplay();
  const std::string call = callText(procedure, key);
  auto found = state.byCall.find(procedure + std::string(" ") + key);
  if (found != state.byCall.end()) {
    std::size_t& next = state.used[found->first];
    if (next < found->second.size()) return &state.records[found->second[next++]];
  }
  if (!quiet) reportOnce(call, "has no answer for");
  return nullptr;
}

/// Says once that a record cannot be used.
void unreadable(const nt::CallRecord& record) {
  reportOnce(callText(record.procedure.c_str(), record.key), "cannot read its answer for");
}

/// The result of an integer call: the record's, with its error code; the
/// `missing` error (and SOCKET_ERROR) without a usable record.
bool intResult(const nt::CallRecord* record, int missing, int& result) {
  long long value;
  if (record != nullptr && !nt::parseNumber(record->result, INT_MIN, INT_MAX, value)) {
    unreadable(*record);
    record = nullptr;
  }
  if (record == nullptr) {
    result = wsock::fail(missing);
    return false;
  }
  result = static_cast<int>(value);
  if (record->failed) wsock::setLastError(record->error);
  return true;
}

int intAnswer(const char* procedure, const std::string& key, int missing) {
  int result;
  intResult(take(procedure, key), missing, result);
  return result;
}

std::vector<std::string> texts(const nt::CallRecord& record, const char* name) {
  std::vector<std::string> values;
  std::string text;
  for (const auto& [field, value] : record.fields) {
    if (field == name && nt::unquote(value, text)) values.push_back(text);
  }
  return values;
}

std::string text(const nt::CallRecord& record, const char* name) {
  const std::vector<std::string> values = texts(record, name);
  return values.empty() ? std::string() : values[0];
}

long long number(const nt::CallRecord& record, const char* name, long long minimum,
                 long long maximum) {
  long long value = 0;
  const std::string* field = record.field(name);
  if (field == nullptr || !nt::parseNumber(*field, minimum, maximum, value)) return 0;
  return value;
}

/// A recorded entry ("found" or "null"); null with the error set otherwise.
const nt::CallRecord* entryRecord(const char* procedure, const std::string& key, int missing) {
  const nt::CallRecord* record = take(procedure, key);
  if (record != nullptr && record->result != "found" && record->result != "null") {
    unreadable(*record);
    record = nullptr;
  }
  if (record == nullptr) return wsock::failNull<const nt::CallRecord>(missing);
  if (record->result == "null") {
    wsock::setLastError(record->error);
    return nullptr;
  }
  return record;
}

winsock::HostEnt* hostAnswer(const char* procedure, const std::string& key) {
  const nt::CallRecord* record = entryRecord(procedure, key, NoAnswerName);
  if (record == nullptr) return nullptr;
  std::vector<std::uint32_t> addresses;
  for (const auto& [field, value] : record->fields) {
    std::uint32_t address;
    if (field == "address" && nt::parseAddress(value, address)) addresses.push_back(address);
  }
  return wsock::publishHost(text(*record, "name"), texts(*record, "alias"), addresses);
}

// ---- the procedures ----

int ZORIVT_WSAAPI getHostName(char* name, int length) {
  int result;
  const nt::CallRecord* record = take("gethostname", nt::key::getHostName(length));
  if (!intResult(record, NoAnswerOther, result) || result != 0) return result;
  const std::string recorded = text(*record, "name");
  if (name == nullptr || recorded.size() + 1 > static_cast<std::size_t>(length)) {
    return wsock::fail(winsock::WsaEfault);
  }
  std::memcpy(name, recorded.c_str(), recorded.size() + 1);
  return 0;
}

winsock::HostEnt* ZORIVT_WSAAPI getHostByName(const char* name) {
  // Without the host's resolver, only the machine's hosts file answers.
  if (currentFaults().resolverHostsOnly) return wsock::getHostByName(name);
  return hostAnswer("gethostbyname", nt::key::getHostByName(name));
}

winsock::HostEnt* ZORIVT_WSAAPI getHostByAddr(const char* address, int length, int type) {
  if (currentFaults().resolverHostsOnly) return wsock::getHostByAddr(address, length, type);
  return hostAnswer("gethostbyaddr", nt::key::getHostByAddr(address, length, type));
}

winsock::ServEnt* ZORIVT_WSAAPI getServByName(const char* name, const char* protocol) {
  const nt::CallRecord* record =
      entryRecord("getservbyname", nt::key::getServByName(name, protocol), NoAnswerEntry);
  if (record == nullptr) return nullptr;
  return wsock::publishService(text(*record, "name"), texts(*record, "alias"),
                               static_cast<std::uint16_t>(number(*record, "port", 0, 65535)),
                               text(*record, "protocol"));
}

winsock::ProtoEnt* ZORIVT_WSAAPI getProtoByName(const char* name) {
  const nt::CallRecord* record =
      entryRecord("getprotobyname", nt::key::getProtoByName(name), NoAnswerEntry);
  if (record == nullptr) return nullptr;
  return wsock::publishProtocol(text(*record, "name"), texts(*record, "alias"),
                                static_cast<short>(number(*record, "number", 0, 255)));
}

// The address texts depend on nothing but their argument: a call without a
// record gets the emulation's answer, unsaid.
std::uint32_t ZORIVT_WSAAPI inetAddr(const char* text) {
  const nt::CallRecord* record = take("inet_addr", nt::key::inetAddr(text), true);
  std::uint32_t address;
  if (record != nullptr && nt::parseAddress(record->result, address)) return address;
  return wsock::inetAddr(text);
}

char* ZORIVT_WSAAPI inetNtoa(winsock::InAddr address) {
  thread_local std::string recorded;
  const nt::CallRecord* record = take("inet_ntoa", nt::key::inetNtoa(address), true);
  if (record != nullptr && record->result == "null") return nullptr;
  if (record != nullptr && nt::unquote(record->result, recorded)) return &recorded[0];
  return wsock::inetNtoa(address);
}

void copyText(char* target, std::size_t room, const std::string& text) {
  const std::size_t size = text.size() < room ? text.size() : room - 1;
  std::memcpy(target, text.data(), size);
  target[size] = '\0';
}

int ZORIVT_WSAAPI startup(std::uint16_t version, winsock::WsaData* data) {
  if (currentFaults().startupFails) return wsock::startup(version, data);
  const nt::CallRecord* record = take("WSAStartup", nt::key::startup(version));
  long long result = 0;
  if (record != nullptr && !nt::parseNumber(record->result, INT_MIN, INT_MAX, result)) {
    unreadable(*record);
    record = nullptr;
  }
  if (data == nullptr) return record != nullptr ? static_cast<int>(result) : winsock::WsaEfault;
  std::memset(data, 0, sizeof *data);
  if (record == nullptr) {
    data->wVersion = data->wHighVersion = winsock::Version11;
    copyText(data->szSystemStatus, sizeof data->szSystemStatus, "Network subsystem is unavailable");
    return winsock::WsaSysNotReady;
  }
  const std::string* version_ = record->field("version");
  const std::string* high = record->field("high-version");
  if (version_ != nullptr) nt::parseVersion(*version_, data->wVersion);
  if (high != nullptr) nt::parseVersion(*high, data->wHighVersion);
  copyText(data->szDescription, sizeof data->szDescription, text(*record, "description"));
  copyText(data->szSystemStatus, sizeof data->szSystemStatus, text(*record, "status"));
  data->iMaxSockets = static_cast<unsigned short>(number(*record, "max-sockets", 0, 65535));
  data->iMaxUdpDg = static_cast<unsigned short>(number(*record, "max-datagram", 0, 65535));
  if (result == 0) wsock::countStartup(+1);
  return static_cast<int>(result);
}

int ZORIVT_WSAAPI cleanup() {
  // Ending the session asks nothing of the network: without a record (a
  // recording written before the run's clean-up), the emulation answers.
  int result;
  const nt::CallRecord* record = take("WSACleanup", std::string(), true);
  if (record == nullptr) return wsock::cleanup();
  if (intResult(record, NoAnswerOther, result) && result == 0) wsock::countStartup(-1);
  return result;
}

Socket ZORIVT_WSAAPI openSocket(int family, int type, int protocol) {
  if (type == winsock::SockRaw) {
    const Faults faults = currentFaults();
    if (faults.rawSocketsDenied || faults.rawSocketsUnsupported) {
      wsock::setLastError(faults.rawSocketsDenied ? winsock::WsaEacces
                                                  : winsock::WsaEsocktnosupport);
      return winsock::InvalidSocket;
    }
  }
  const nt::CallRecord* record = take("socket", nt::key::socket(family, type, protocol));
  Socket s;
  if (record != nullptr && !nt::parseSocket(record->result, s)) {
    unreadable(*record);
    record = nullptr;
  }
  if (record == nullptr) {
    wsock::setLastError(NoAnswerOther);
    return winsock::InvalidSocket;
  }
  if (record->failed) wsock::setLastError(record->error);
  return s;
}

int ZORIVT_WSAAPI setSockOpt(Socket s, int level, int option, const char* value, int length) {
  return intAnswer("setsockopt", nt::key::setSockOpt(s, level, option, value, length),
                   NoAnswerOther);
}

int ZORIVT_WSAAPI bindSocket(Socket s, const winsock::SockAddr* address, int length) {
  return intAnswer("bind", nt::key::withAddress(s, address, length), NoAnswerOther);
}

int ZORIVT_WSAAPI connectSocket(Socket s, const winsock::SockAddr* address, int length) {
  return intAnswer("connect", nt::key::withAddress(s, address, length), NoAnswerReach);
}

int ZORIVT_WSAAPI closeSocket(Socket s) {
  return intAnswer("closesocket", nt::socketText(s), NoAnswerOther);
}

int ZORIVT_WSAAPI sendTo(Socket s, const char* data, int length, int flags,
                         const winsock::SockAddr* to, int toLength) {
  return intAnswer("sendto", nt::key::sendTo(s, data, length, flags, to, toLength), NoAnswerReach);
}

void writeAddress(const std::string* endpoint, winsock::SockAddr* address, int* length) {
  std::uint32_t host;
  std::uint16_t port;
  if (endpoint == nullptr || address == nullptr || length == nullptr ||
      *length < static_cast<int>(sizeof(winsock::SockAddrIn)) ||
      !nt::parseEndpoint(*endpoint, host, port)) {
    return;
  }
  winsock::SockAddrIn in;
  std::memset(&in, 0, sizeof in);
  in.sin_family = winsock::AfInet;
  in.sin_port = port;
  in.sin_addr.s_addr = host;
  std::memcpy(address, &in, sizeof in);
  *length = static_cast<int>(sizeof in);
}

int ZORIVT_WSAAPI recvFrom(Socket s, char* buffer, int length, int flags, winsock::SockAddr* from,
                           int* fromLength) {
  int result;
  const nt::CallRecord* record = take("recvfrom", nt::key::recvFrom(s, length, flags));
  if (!intResult(record, NoAnswerOther, result) || result < 0) return result;
  std::string data;
  const std::string* field = record->field("data");
  if (field != nullptr && nt::unquote(*field, data) && buffer != nullptr && length > 0) {
    std::memcpy(buffer, data.data(),
                data.size() < static_cast<std::size_t>(length) ? data.size()
                                                               : static_cast<std::size_t>(length));
  }
  writeAddress(record->field("from"), from, fromLength);
  return result;
}

int ZORIVT_WSAAPI selectSockets(int, winsock::FdSet* readSet, winsock::FdSet* writeSet,
                                winsock::FdSet* errorSet, const winsock::TimeVal*) {
  int result;
  const nt::CallRecord* record = take("select", nt::key::select(readSet, writeSet, errorSet));
  const bool answered = intResult(record, NoAnswerOther, result);
  if (answered && result < 0) return result;
  winsock::FdSet* sets[3] = {readSet, writeSet, errorSet};
  const char* names[3] = {"read", "write", "error"};
  for (int k = 0; k < 3; ++k) {
    if (sets[k] == nullptr) continue;
    const std::string* field = answered ? record->field(names[k]) : nullptr;
    if (field == nullptr || !nt::parseSet(*field, *sets[k])) sets[k]->fd_count = 0;
  }
  return answered ? result : 0;  // no record: nothing arrived
}

int ZORIVT_WSAAPI getSockName(Socket s, winsock::SockAddr* address, int* length) {
  int result;
  const nt::CallRecord* record = take("getsockname", nt::socketText(s));
  if (!intResult(record, NoAnswerOther, result) || result != 0) return result;
  writeAddress(record->field("address"), address, length);
  return 0;
}

const WinsockExport ReplayExports[] = {
    {"gethostname", exported<winsock::GetHostNameFn>(&getHostName)},
    {"gethostbyname", exported<winsock::GetHostByNameFn>(&getHostByName)},
    {"gethostbyaddr", exported<winsock::GetHostByAddrFn>(&getHostByAddr)},
    {"getservbyname", exported<winsock::GetServByNameFn>(&getServByName)},
    {"getprotobyname", exported<winsock::GetProtoByNameFn>(&getProtoByName)},
    {"inet_addr", exported<winsock::InetAddrFn>(&inetAddr)},
    {"inet_ntoa", exported<winsock::InetNtoaFn>(&inetNtoa)},
    {"WSAStartup", exported<winsock::WsaStartupFn>(&startup)},
    {"WSACleanup", exported<winsock::WsaCleanupFn>(&cleanup)},
    {"socket", exported<winsock::SocketFn>(&openSocket)},
    {"setsockopt", exported<winsock::SetSockOptFn>(&setSockOpt)},
    {"bind", exported<winsock::BindFn>(&bindSocket)},
    {"connect", exported<winsock::ConnectFn>(&connectSocket)},
    {"closesocket", exported<winsock::CloseSocketFn>(&closeSocket)},
    {"sendto", exported<winsock::SendToFn>(&sendTo)},
    {"recvfrom", exported<winsock::RecvFromFn>(&recvFrom)},
    {"select", exported<winsock::SelectFn>(&selectSockets)},
    {"getsockname", exported<winsock::GetSockNameFn>(&getSockName)},
};

}  // namespace

bool networkReplayActive() {
  HostFileIdentity identity;
  return identity.describe(Machine::current().machineFile("network"));
}

bool replayLacksProcedure(const char* name) {
  return take("GetProcAddress", nt::key::procedure(name), true) != nullptr;
}

ProcedureAddress replayWinsockProcedure(const char* name) {
  // The byte order and WSAGetLastError are the emulation's own.
  const ProcedureAddress address = findExport(ReplayExports, name);
  return address != nullptr ? address : builtinWinsockProcedure(name);
}

}  // namespace platform::posix
