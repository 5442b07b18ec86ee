// POSIX backend only: the built-in wsock32's names. Services, hosts and
// protocols come from the machine's TCP/IP configuration directory first, as
// on Windows; host names and addresses not found there go to the host's
// resolver. Results live in per-thread storage until the next call of the
// same kind.
#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/posix/faults.h"
#include "platform/posix/machine.h"
#include "platform/posix/winsock_parts.h"
#include "platform/system_info.h"

namespace platform::posix::wsock {
namespace {

/// Winsock's code for a resolver failure of getaddrinfo or getnameinfo.
int codeOfResolverError(int error) {
  switch (error) {
    case EAI_NONAME:
      return winsock::WsaHostNotFound;
    case EAI_AGAIN:
      return winsock::WsaTryAgain;
#ifdef EAI_NODATA
    case EAI_NODATA:
      return winsock::WsaNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
      return winsock::WsaNoData;
#endif
    case EAI_MEMORY:
      return winsock::WsaEnobufs;
    case EAI_SYSTEM:
      return codeOfErrno(errno);
    default:
      return winsock::WsaNoRecovery;
  }
}

// ---- the TCP/IP configuration files ----------------------------------------

/// Host path of a file of the machine's TCP/IP configuration directory;
/// empty when it does not exist.
std::string configurationFile(const char* name) {
  std::string directory = windowsDirectory();
  if (directory.empty()) return std::string();
  VersionInfo version;
  if (windowsVersion(version) && version.platformId == PlatformNt) {
    directory += "\\system32\\drivers\\etc";
  }
  std::string host;
  if (!Machine::current().resolve(directory + "\\" + name, host)) return std::string();
  struct stat st;
  if (::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::string();
  return host;
}

using Row = std::vector<std::string>;

/// The lines of a configuration file as words, without "#" comments and
/// without empty lines. False when the file cannot be read.
bool readRows(const std::string& host, std::vector<Row>& rows) {
  rows.clear();
  if (host.empty()) return false;
  std::FILE* file = openRegularHostStream(host);
  if (file == nullptr) return false;
  Row row;
  std::string word;
  bool comment = false;
  for (int c = std::getc(file);; c = std::getc(file)) {
    const bool endOfLine = c == EOF || c == '\n';
    const bool blank = endOfLine || c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
    if (!comment && c == '#') comment = true;
    if ((blank || comment) && !word.empty()) {
      row.push_back(word);
      word.clear();
    }
    if (!blank && !comment) word += static_cast<char>(c);
    if (endOfLine) {
      if (!row.empty()) rows.push_back(row);
      row.clear();
      comment = false;
      if (c == EOF) break;
    }
  }
  std::fclose(file);
  return true;
}

// ---- per-thread results ------------------------------------------------------

struct HostStorage {
  std::string name;
  std::vector<std::string> aliases;
  std::vector<std::array<char, 4>> addresses;
  std::vector<char*> aliasPointers;
  std::vector<char*> addressPointers;
  winsock::HostEnt entry{};
};

struct ServiceStorage {
  std::string name;
  std::string protocol;
  std::vector<std::string> aliases;
  std::vector<char*> aliasPointers;
  winsock::ServEnt entry{};
};

struct ProtocolStorage {
  std::string name;
  std::vector<std::string> aliases;
  std::vector<char*> aliasPointers;
  winsock::ProtoEnt entry{};
};

thread_local HostStorage hostStorage;
thread_local ServiceStorage serviceStorage;
thread_local ProtocolStorage protocolStorage;

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

winsock::HostEnt* publishHost(const std::string& name, const std::vector<std::string>& aliases,
                              const std::vector<std::uint32_t>& addresses) {
  HostStorage& s = hostStorage;
  s.name = name;
  s.aliases = aliases;
  s.addresses.clear();
  for (std::uint32_t address : addresses) {
    std::array<char, 4> bytes;
    std::memcpy(bytes.data(), &address, 4);
    s.addresses.push_back(bytes);
  }
  s.aliasPointers = pointersTo(s.aliases);
  s.addressPointers.clear();
  for (std::array<char, 4>& bytes : s.addresses) s.addressPointers.push_back(bytes.data());
  s.addressPointers.push_back(nullptr);
  s.entry.h_name = &s.name[0];
  s.entry.h_aliases = s.aliasPointers.data();
  s.entry.h_addrtype = winsock::AfInet;
  s.entry.h_length = 4;
  s.entry.h_addr_list = s.addressPointers.data();
  return &s.entry;
}

winsock::ServEnt* publishService(const std::string& name, const std::vector<std::string>& aliases,
                                 std::uint16_t port, const std::string& protocol) {
  ServiceStorage& s = serviceStorage;
  s.name = name;
  s.protocol = protocol;
  s.aliases = aliases;
  s.aliasPointers = pointersTo(s.aliases);
  s.entry.s_name = &s.name[0];
  s.entry.s_aliases = s.aliasPointers.data();
  s.entry.s_proto = &s.protocol[0];
  s.entry.s_port = static_cast<short>(swapToNetwork16(port));
  return &s.entry;
}

winsock::ProtoEnt* publishProtocol(const std::string& name, const std::vector<std::string>& aliases,
                                   short number) {
  ProtocolStorage& s = protocolStorage;
  s.name = name;
  s.aliases = aliases;
  s.aliasPointers = pointersTo(s.aliases);
  s.entry.p_name = &s.name[0];
  s.entry.p_aliases = s.aliasPointers.data();
  s.entry.p_proto = number;
  return &s.entry;
}

namespace {

struct HostLine {
  std::uint32_t address;
  Row names;
};

std::vector<HostLine> readHostsFile() {
  std::vector<HostLine> lines;
  std::vector<Row> rows;
  readRows(configurationFile("hosts"), rows);
  for (const Row& row : rows) {
    std::uint32_t address;
    if (row.size() < 2 || !isNumericAddress(row[0].c_str(), address)) continue;
    lines.push_back(HostLine{address, Row(row.begin() + 1, row.end())});
  }
  return lines;
}

winsock::HostEnt* publishHostLine(const HostLine& line) {
  return publishHost(line.names[0], Row(line.names.begin() + 1, line.names.end()), {line.address});
}

/// "5011/tcp": the port and the protocol; false for anything else.
bool parsePortAndProtocol(const std::string& text, int& port, std::string& protocol) {
  std::size_t slash = text.find('/');
  if (slash == 0 || slash == std::string::npos || slash + 1 == text.size() || slash > 5) {
    return false;
  }
  port = 0;
  for (std::size_t i = 0; i < slash; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    port = port * 10 + (text[i] - '0');
  }
  if (port > 65535) return false;
  protocol = text.substr(slash + 1);
  return true;
}

}  // namespace

int ZORIVT_WSAAPI getHostName(char* name, int length) {
  if (!started()) return winsock::SocketError;
  if (name == nullptr || length <= 0) return fail(winsock::WsaEfault);
  char buffer[256] = {0};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return failErrno();
  const std::size_t size = std::strlen(buffer);
  if (size + 1 > static_cast<std::size_t>(length)) return fail(winsock::WsaEfault);
  std::memcpy(name, buffer, size + 1);
  return 0;
}

winsock::HostEnt* ZORIVT_WSAAPI getHostByName(const char* name) {
  if (!started()) return nullptr;
  if (name == nullptr) return failNull<winsock::HostEnt>(winsock::WsaEfault);
  std::string text = name;
  if (text.empty()) {  // Winsock: the empty name is the local host
    char local[256] = {0};
    if (::gethostname(local, sizeof local - 1) != 0) {
      return failNull<winsock::HostEnt>(codeOfErrno(errno));
    }
    text = local;
  }
  std::uint32_t address;
  if (isNumericAddress(text.c_str(), address)) return publishHost(text, {}, {address});

  for (const HostLine& line : readHostsFile()) {
    for (const std::string& candidate : line.names) {
      if (ascii::equalIgnoringCase(candidate, text)) return publishHostLine(line);
    }
  }
  if (currentFaults().resolverHostsOnly) {
    return failNull<winsock::HostEnt>(winsock::WsaHostNotFound);
  }

  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(text.c_str(), nullptr, &hints, &found);
  if (rc != 0) return failNull<winsock::HostEnt>(codeOfResolverError(rc));
  std::string official = found->ai_canonname ? found->ai_canonname : text;
  std::vector<std::uint32_t> addresses;
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family != AF_INET) continue;
    std::uint32_t value = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
    bool known = false;
    for (std::uint32_t seen : addresses) known = known || seen == value;
    if (!known) addresses.push_back(value);
  }
  ::freeaddrinfo(found);
  if (addresses.empty()) return failNull<winsock::HostEnt>(winsock::WsaNoData);
  return publishHost(official, {}, addresses);
}

winsock::HostEnt* ZORIVT_WSAAPI getHostByAddr(const char* address, int length, int type) {
  if (!started()) return nullptr;
  if (address == nullptr || length < 4) return failNull<winsock::HostEnt>(winsock::WsaEfault);
  if (type != winsock::AfInet) return failNull<winsock::HostEnt>(winsock::WsaEafnosupport);
  std::uint32_t value;
  std::memcpy(&value, address, 4);

  for (const HostLine& line : readHostsFile()) {
    if (line.address == value) return publishHostLine(line);
  }
  if (currentFaults().resolverHostsOnly) {
    return failNull<winsock::HostEnt>(winsock::WsaHostNotFound);
  }

  sockaddr_in host;
  std::memset(&host, 0, sizeof host);
  host.sin_family = AF_INET;
  host.sin_addr.s_addr = value;
  char name[NI_MAXHOST] = {0};
  const int rc = ::getnameinfo(reinterpret_cast<const sockaddr*>(&host), sizeof host, name,
                               sizeof name, nullptr, 0, NI_NAMEREQD);
  if (rc != 0) return failNull<winsock::HostEnt>(codeOfResolverError(rc));
  return publishHost(name, {}, {value});
}

winsock::ServEnt* ZORIVT_WSAAPI getServByName(const char* name, const char* protocol) {
  if (!started()) return nullptr;
  if (name == nullptr) return failNull<winsock::ServEnt>(winsock::WsaEfault);
  std::vector<Row> rows;
  readRows(configurationFile("services"), rows);
  for (const Row& row : rows) {
    int port;
    std::string rowProtocol;
    if (row.size() < 2 || !parsePortAndProtocol(row[1], port, rowProtocol)) continue;
    if (protocol != nullptr && rowProtocol != protocol) continue;
    bool matches = row[0] == name;
    for (std::size_t i = 2; i < row.size() && !matches; ++i) matches = row[i] == name;
    if (!matches) continue;
    return publishService(row[0], Row(row.begin() + 2, row.end()), static_cast<std::uint16_t>(port),
                          rowProtocol);
  }
  return failNull<winsock::ServEnt>(winsock::WsaNoData);
}

winsock::ProtoEnt* ZORIVT_WSAAPI getProtoByName(const char* name) {
  if (!started()) return nullptr;
  if (name == nullptr) return failNull<winsock::ProtoEnt>(winsock::WsaEfault);
  std::vector<Row> rows;
  if (!readRows(configurationFile("protocol"), rows)) {
    rows = {{"ip", "0", "IP"}, {"icmp", "1", "ICMP"}, {"tcp", "6", "TCP"}, {"udp", "17", "UDP"}};
  }
  for (const Row& row : rows) {
    if (row.size() < 2 || row[1].empty() || row[1].size() > 3 ||
        row[1].find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    bool matches = row[0] == name;
    for (std::size_t i = 2; i < row.size() && !matches; ++i) matches = row[i] == name;
    if (!matches) continue;
    return publishProtocol(row[0], Row(row.begin() + 2, row.end()),
                           static_cast<short>(std::stoi(row[1])));
  }
  return failNull<winsock::ProtoEnt>(winsock::WsaNoData);
}

}  // namespace platform::posix::wsock
