// POSIX backend only: the built-in "wsock32" of the emulated machine, a
// Winsock 1.1 over BSD sockets. Every procedure has the signature of
// platform/winsock_abi.h and the behaviour a Winsock 1.1 caller relies on:
// socket values and INVALID_SOCKET, error codes through WSAGetLastError,
// the Windows structure layouts, and per-thread result storage. Services,
// hosts and protocols come from the machine's TCP/IP configuration
// directory first, as on Windows.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/builtin_winsock.h"
#include "platform/posix/faults.h"
#include "platform/posix/machine.h"
#include "platform/system_info.h"
#include "platform/winsock_abi.h"

namespace platform::posix {
namespace {

using winsock::Socket;

constexpr int WsaEintr = 10004;
constexpr int WsaEbadf = 10009;
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
constexpr int WsaEopnotsupp = 10045;
constexpr int WsaEpfnosupport = 10046;
constexpr int WsaEafnosupport = 10047;
constexpr int WsaEaddrnotavail = 10049;
constexpr int WsaEnetdown = 10050;
constexpr int WsaEnetreset = 10052;
constexpr int WsaEconnaborted = 10053;
constexpr int WsaEconnreset = 10054;
constexpr int WsaEnobufs = 10055;
constexpr int WsaEisconn = 10056;
constexpr int WsaEnotconn = 10057;
constexpr int WsaEshutdown = 10058;
constexpr int WsaEtoomanyrefs = 10059;
constexpr int WsaEloop = 10062;
constexpr int WsaEnametoolong = 10063;
constexpr int WsaEhostdown = 10064;
constexpr int WsaVerNotSupported = 10092;

constexpr std::uint16_t SupportedVersion = 0x0101;
const char* const Description = "Zorivt Winsock 1.1 emulation over BSD sockets";

// Windows option numbers of Winsock 1.1 (winsock.h), not the host's.
constexpr int WinIpprotoIp = 0;
constexpr int WinIpprotoTcp = 6;
constexpr int WinIpTtl = 7;
constexpr int WinIpTos = 8;
constexpr int WinTcpNodelay = 1;
constexpr int WinSoDebug = 0x0001;
constexpr int WinSoKeepalive = 0x0008;
constexpr int WinSoDontroute = 0x0010;
constexpr int WinSoBroadcast = 0x0020;
constexpr int WinSoLinger = 0x0080;
constexpr int WinSoOobinline = 0x0100;
constexpr int WinSoSndbuf = 0x1001;
constexpr int WinSoRcvbuf = 0x1002;
constexpr int WinSoSndtimeo = 0x1005;
constexpr int WinSoRcvtimeo = 0x1006;
constexpr int WinMsgOob = 0x1;
constexpr int WinMsgPeek = 0x2;
constexpr int WinMsgDontroute = 0x4;

// Process-wide start-up count: trivially destructible, because the socket
// session calls WSACleanup from a static destructor at process exit.
int startupCount = 0;
thread_local int lastSocketError = 0;

int fail(int code) {
  lastSocketError = code;
  return winsock::SocketError;
}

template <typename T>
T* failNull(int code) {
  lastSocketError = code;
  return nullptr;
}

/// Winsock's codes for the host's errno values: WSABASEERR plus the BSD
/// number of the same error (the host's own numbers differ). Aliases such as
/// EAGAIN and EWOULDBLOCK may share a number; the first row wins.
struct ErrnoCode {
  int error;
  int code;
};
const ErrnoCode ErrnoCodes[] = {
    {EINTR, WsaEintr},
    {EBADF, WsaEbadf},
    {EPERM, winsock::WsaEacces},
    {EACCES, winsock::WsaEacces},
    {EFAULT, WsaEfault},
    {EINVAL, WsaEinval},
    {EMFILE, WsaEmfile},
    {ENFILE, WsaEmfile},
    {EWOULDBLOCK, WsaEwouldblock},
    {EAGAIN, WsaEwouldblock},
    {EINPROGRESS, WsaEinprogress},
    {EALREADY, WsaEalready},
    {ENOTSOCK, WsaEnotsock},
    {EDESTADDRREQ, WsaEdestaddrreq},
    {EMSGSIZE, WsaEmsgsize},
    {EPROTOTYPE, WsaEprototype},
    {ENOPROTOOPT, WsaEnoprotoopt},
    {EPROTONOSUPPORT, WsaEprotonosupport},
    {ESOCKTNOSUPPORT, winsock::WsaEsocktnosupport},
    {ENOTSUP, WsaEopnotsupp},
    {EOPNOTSUPP, WsaEopnotsupp},
    {EPFNOSUPPORT, WsaEpfnosupport},
    {EAFNOSUPPORT, WsaEafnosupport},
    {EADDRINUSE, winsock::WsaEaddrinuse},
    {EADDRNOTAVAIL, WsaEaddrnotavail},
    {ENETDOWN, WsaEnetdown},
    {ENETUNREACH, winsock::WsaEnetunreach},
    {ENETRESET, WsaEnetreset},
    {ECONNABORTED, WsaEconnaborted},
    {ECONNRESET, WsaEconnreset},
    {EPIPE, WsaEconnreset},
    {ENOMEM, WsaEnobufs},
    {ENOBUFS, WsaEnobufs},
    {EISCONN, WsaEisconn},
    {ENOTCONN, WsaEnotconn},
    {ESHUTDOWN, WsaEshutdown},
    {ETOOMANYREFS, WsaEtoomanyrefs},
    {ETIMEDOUT, winsock::WsaEtimedout},
    {ECONNREFUSED, winsock::WsaEconnrefused},
    {ELOOP, WsaEloop},
    {ENAMETOOLONG, WsaEnametoolong},
    {EHOSTDOWN, WsaEhostdown},
    {EHOSTUNREACH, winsock::WsaEhostunreach},
};

int codeOfErrno(int error) {
  for (const ErrnoCode& row : ErrnoCodes) {
    if (row.error == error) return row.code;
  }
  return WsaEinval;
}

int failErrno() {
  return fail(codeOfErrno(errno));
}

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
      return WsaEnobufs;
    case EAI_SYSTEM:
      return codeOfErrno(errno);
    default:
      return winsock::WsaNoRecovery;
  }
}

bool started() {
  if (startupCount > 0) return true;
  lastSocketError = winsock::WsaNotInitialised;
  return false;
}

/// The host descriptor of a socket value; -1 (error set) when it cannot be one.
int descriptorOf(Socket s) {
  if (s > static_cast<Socket>(INT_MAX)) {
    lastSocketError = WsaEnotsock;
    return -1;
  }
  return static_cast<int>(s);
}

// ---- byte order -----------------------------------------------------------

std::uint32_t networkFromBytes(const unsigned char bytes[4]) {
  std::uint32_t value;
  std::memcpy(&value, bytes, 4);
  return value;
}

std::uint16_t swapToNetwork16(std::uint16_t value) {
  unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value & 0xFF)};
  std::uint16_t result;
  std::memcpy(&result, bytes, 2);
  return result;
}

std::uint16_t swapToHost16(std::uint16_t value) {
  unsigned char bytes[2];
  std::memcpy(bytes, &value, 2);
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

// ---- addresses ------------------------------------------------------------

/// inet_addr's forms: a.b.c.d, a.b.c, a.b or a, each part decimal, octal
/// (leading 0) or hexadecimal (leading 0x); trailing white space allowed.
std::uint32_t parseDottedAddress(const char* text) {
  if (text == nullptr) return winsock::InaddrNone;
  unsigned long parts[4] = {0, 0, 0, 0};
  int count = 0;
  const char* p = text;
  for (;;) {
    if (*p < '0' || *p > '9') return winsock::InaddrNone;
    unsigned long value = 0;
    int base = 10;
    if (*p == '0') {
      ++p;
      base = 8;
      if (*p == 'x' || *p == 'X') {
        ++p;
        base = 16;
      }
    }
    for (;; ++p) {
      int digit;
      if (*p >= '0' && *p <= '9') {
        digit = *p - '0';
      } else if (base == 16 && *p >= 'a' && *p <= 'f') {
        digit = *p - 'a' + 10;
      } else if (base == 16 && *p >= 'A' && *p <= 'F') {
        digit = *p - 'A' + 10;
      } else {
        break;
      }
      if (digit >= base) return winsock::InaddrNone;
      value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
      if (value > 0xFFFFFFFFul) return winsock::InaddrNone;
    }
    parts[count++] = value;
    if (*p != '.') break;
    if (count == 4) return winsock::InaddrNone;
    ++p;
  }
  if (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') {
    return winsock::InaddrNone;
  }
  static const unsigned long lastLimit[4] = {0xFFFFFFFFul, 0xFFFFFFul, 0xFFFFul, 0xFFul};
  unsigned long value = 0;
  for (int i = 0; i + 1 < count; ++i) {
    if (parts[i] > 0xFF) return winsock::InaddrNone;
    value |= parts[i] << (24 - 8 * i);
  }
  if (parts[count - 1] > lastLimit[count - 1]) return winsock::InaddrNone;
  value |= parts[count - 1];
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
      static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
  return networkFromBytes(bytes);
}

bool isNumericAddress(const char* text, std::uint32_t& address) {
  address = parseDottedAddress(text);
  return address != winsock::InaddrNone || std::strcmp(text, "255.255.255.255") == 0;
}

/// The Windows sockaddr_in of a caller, as the host's; false (error set)
/// when it is missing, too short or not IPv4.
bool hostAddressOf(const winsock::SockAddr* address, int length, sockaddr_in& host) {
  if (address == nullptr || length < static_cast<int>(sizeof(winsock::SockAddrIn))) {
    lastSocketError = WsaEfault;
    return false;
  }
  winsock::SockAddrIn windows;
  std::memcpy(&windows, address, sizeof windows);
  if (windows.sin_family != winsock::AfInet) {
    lastSocketError = WsaEafnosupport;
    return false;
  }
  std::memset(&host, 0, sizeof host);
  host.sin_family = AF_INET;
  host.sin_port = windows.sin_port;
  host.sin_addr.s_addr = windows.sin_addr.s_addr;
  return true;
}

void windowsAddressOf(const sockaddr_in& host, winsock::SockAddr* address) {
  winsock::SockAddrIn windows;
  std::memset(&windows, 0, sizeof windows);
  windows.sin_family = winsock::AfInet;
  windows.sin_port = host.sin_port;
  windows.sin_addr.s_addr = host.sin_addr.s_addr;
  std::memcpy(address, &windows, sizeof windows);
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

bool equalIgnoringCase(const std::string& a, const char* b) {
  return upperAscii(a) == upperAscii(b);
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
thread_local char dottedText[16];

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

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

// ---- the procedures -----------------------------------------------------------

int ZORIVT_WSAAPI wsGetHostName(char* name, int length) {
  if (!started()) return winsock::SocketError;
  if (name == nullptr || length <= 0) return fail(WsaEfault);
  char buffer[256] = {0};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return failErrno();
  const std::size_t size = std::strlen(buffer);
  if (size + 1 > static_cast<std::size_t>(length)) return fail(WsaEfault);
  std::memcpy(name, buffer, size + 1);
  return 0;
}

winsock::HostEnt* ZORIVT_WSAAPI wsGetHostByName(const char* name) {
  if (!started()) return nullptr;
  if (name == nullptr) return failNull<winsock::HostEnt>(WsaEfault);
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
      if (equalIgnoringCase(candidate, text.c_str())) return publishHostLine(line);
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

winsock::HostEnt* ZORIVT_WSAAPI wsGetHostByAddr(const char* address, int length, int type) {
  if (!started()) return nullptr;
  if (address == nullptr || length < 4) return failNull<winsock::HostEnt>(WsaEfault);
  if (type != winsock::AfInet) return failNull<winsock::HostEnt>(WsaEafnosupport);
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

winsock::ServEnt* ZORIVT_WSAAPI wsGetServByName(const char* name, const char* protocol) {
  if (!started()) return nullptr;
  if (name == nullptr) return failNull<winsock::ServEnt>(WsaEfault);
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
    ServiceStorage& s = serviceStorage;
    s.name = row[0];
    s.protocol = rowProtocol;
    s.aliases.assign(row.begin() + 2, row.end());
    s.aliasPointers = pointersTo(s.aliases);
    s.entry.s_name = &s.name[0];
    s.entry.s_aliases = s.aliasPointers.data();
    s.entry.s_proto = &s.protocol[0];
    s.entry.s_port = static_cast<short>(swapToNetwork16(static_cast<std::uint16_t>(port)));
    return &s.entry;
  }
  return failNull<winsock::ServEnt>(winsock::WsaNoData);
}

winsock::ProtoEnt* ZORIVT_WSAAPI wsGetProtoByName(const char* name) {
  if (!started()) return nullptr;
  if (name == nullptr) return failNull<winsock::ProtoEnt>(WsaEfault);
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
    ProtocolStorage& s = protocolStorage;
    s.name = row[0];
    s.aliases.assign(row.begin() + 2, row.end());
    s.aliasPointers = pointersTo(s.aliases);
    s.entry.p_name = &s.name[0];
    s.entry.p_aliases = s.aliasPointers.data();
    s.entry.p_proto = static_cast<short>(std::stoi(row[1]));
    return &s.entry;
  }
  return failNull<winsock::ProtoEnt>(winsock::WsaNoData);
}

std::uint32_t ZORIVT_WSAAPI wsInetAddr(const char* text) {
  return parseDottedAddress(text);
}

char* ZORIVT_WSAAPI wsInetNtoa(winsock::InAddr address) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address.s_addr, 4);
  std::snprintf(dottedText, sizeof dottedText, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2],
                bytes[3]);
  return dottedText;
}

std::uint16_t ZORIVT_WSAAPI wsNtohs(std::uint16_t value) {
  return swapToHost16(value);
}

std::uint16_t ZORIVT_WSAAPI wsHtons(std::uint16_t value) {
  return swapToNetwork16(value);
}

std::uint32_t ZORIVT_WSAAPI wsNtohl(std::uint32_t value) {
  unsigned char bytes[4];
  std::memcpy(bytes, &value, 4);
  return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
         (std::uint32_t(bytes[2]) << 8) | bytes[3];
}

void copyText(char* target, std::size_t room, const char* text) {
  std::strncpy(target, text, room - 1);
  target[room - 1] = '\0';
}

int ZORIVT_WSAAPI wsStartup(std::uint16_t version, winsock::WsaData* data) {
  if (data == nullptr) return WsaEfault;
  std::memset(data, 0, sizeof *data);
  data->wHighVersion = SupportedVersion;
  data->iMaxSockets = 32767;
  data->iMaxUdpDg = 65467;
  copyText(data->szDescription, sizeof data->szDescription, Description);
  const unsigned major = version & 0xFF;
  const unsigned minor = version >> 8;
  if (currentFaults().startupFails) {
    data->wVersion = SupportedVersion;
    copyText(data->szSystemStatus, sizeof data->szSystemStatus, "Network subsystem is unavailable");
    return winsock::WsaSysNotReady;
  }
  if (major == 0) {
    copyText(data->szSystemStatus, sizeof data->szSystemStatus, "Version not supported");
    return WsaVerNotSupported;
  }
  data->wVersion = (major > 1 || minor >= 1) ? SupportedVersion : version;
  copyText(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
  ++startupCount;
  return 0;
}

int ZORIVT_WSAAPI wsCleanup() {
  if (!started()) return winsock::SocketError;
  --startupCount;
  return 0;
}

Socket ZORIVT_WSAAPI wsSocket(int family, int type, int protocol) {
  if (!started()) return winsock::InvalidSocket;
  if (family != winsock::AfInet) {
    lastSocketError = WsaEafnosupport;
    return winsock::InvalidSocket;
  }
  int hostType;
  switch (type) {
    case winsock::SockStream:
      hostType = SOCK_STREAM;
      break;
    case 2:
      hostType = SOCK_DGRAM;
      break;
    case winsock::SockRaw:
      hostType = SOCK_RAW;
      break;
    default:
      lastSocketError = winsock::WsaEsocktnosupport;
      return winsock::InvalidSocket;
  }
  if (type == winsock::SockRaw) {
    const Faults faults = currentFaults();
    if (faults.rawSocketsDenied || faults.rawSocketsUnsupported) {
      lastSocketError = faults.rawSocketsDenied ? winsock::WsaEacces : winsock::WsaEsocktnosupport;
      return winsock::InvalidSocket;
    }
  }
  const int fd = ::socket(AF_INET, hostType | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    lastSocketError = codeOfErrno(errno);
    return winsock::InvalidSocket;
  }
  return static_cast<Socket>(fd);
}

int ZORIVT_WSAAPI wsSetSockOpt(Socket s, int level, int option, const char* value, int length) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (value == nullptr) return fail(WsaEfault);
  int hostLevel = 0, hostOption = 0;
  if (level == winsock::SolSocket) {
    hostLevel = SOL_SOCKET;
    switch (option) {
      case WinSoDebug:
        hostOption = SO_DEBUG;
        break;
      case winsock::SoReuseAddr:
        hostOption = SO_REUSEADDR;
        break;
      case WinSoKeepalive:
        hostOption = SO_KEEPALIVE;
        break;
      case WinSoDontroute:
        hostOption = SO_DONTROUTE;
        break;
      case WinSoBroadcast:
        hostOption = SO_BROADCAST;
        break;
      case WinSoOobinline:
        hostOption = SO_OOBINLINE;
        break;
      case WinSoSndbuf:
        hostOption = SO_SNDBUF;
        break;
      case WinSoRcvbuf:
        hostOption = SO_RCVBUF;
        break;
      case WinSoLinger: {
        // Winsock's linger holds two u_shorts.
        if (length < 4) return fail(WsaEfault);
        std::uint16_t parts[2];
        std::memcpy(parts, value, 4);
        linger hostLinger{parts[0] != 0, parts[1]};
        if (::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hostLinger, sizeof hostLinger) != 0) {
          return failErrno();
        }
        return 0;
      }
      case WinSoSndtimeo:
      case WinSoRcvtimeo: {
        // Winsock's time-outs are a DWORD of milliseconds.
        if (length < 4) return fail(WsaEfault);
        std::uint32_t milliseconds;
        std::memcpy(&milliseconds, value, 4);
        timeval time{static_cast<time_t>(milliseconds / 1000),
                     static_cast<suseconds_t>((milliseconds % 1000) * 1000)};
        const int which = option == WinSoSndtimeo ? SO_SNDTIMEO : SO_RCVTIMEO;
        if (::setsockopt(fd, SOL_SOCKET, which, &time, sizeof time) != 0) return failErrno();
        return 0;
      }
      default:
        return fail(WsaEnoprotoopt);
    }
  } else if (level == WinIpprotoTcp && option == WinTcpNodelay) {
    hostLevel = IPPROTO_TCP;
    hostOption = TCP_NODELAY;
  } else if (level == WinIpprotoIp && (option == WinIpTtl || option == WinIpTos)) {
    hostLevel = IPPROTO_IP;
    hostOption = option == WinIpTtl ? IP_TTL : IP_TOS;
  } else {
    return fail(level == winsock::SolSocket || level == WinIpprotoTcp || level == WinIpprotoIp
                    ? WsaEnoprotoopt
                    : WsaEinval);
  }
  if (length < 1) return fail(WsaEfault);
  int number = 0;  // a BOOL or int; a shorter value counts by its bytes
  std::memcpy(&number, value, length < 4 ? static_cast<std::size_t>(length) : 4);
  if (::setsockopt(fd, hostLevel, hostOption, &number, sizeof number) != 0) return failErrno();
  return 0;
}

int ZORIVT_WSAAPI wsBind(Socket s, const winsock::SockAddr* address, int length) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  sockaddr_in host;
  if (!hostAddressOf(address, length, host)) return winsock::SocketError;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&host), sizeof host) != 0) return failErrno();
  return 0;
}

int ZORIVT_WSAAPI wsConnect(Socket s, const winsock::SockAddr* address, int length) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  sockaddr_in host;
  if (!hostAddressOf(address, length, host)) return winsock::SocketError;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&host), sizeof host) != 0) {
    return failErrno();
  }
  return 0;
}

int ZORIVT_WSAAPI wsCloseSocket(Socket s) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  // Only sockets: a stray value must not close one of the process's files.
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) return fail(WsaEnotsock);
  if (::close(fd) != 0) return failErrno();
  return 0;
}

/// The host's flags for Winsock's MSG_OOB, MSG_PEEK and MSG_DONTROUTE;
/// false for others.
bool hostFlagsOf(int flags, int allowed, int& host) {
  if ((flags & ~allowed) != 0) return false;
  host = 0;
  if (flags & WinMsgOob) host |= MSG_OOB;
  if (flags & WinMsgPeek) host |= MSG_PEEK;
  if (flags & WinMsgDontroute) host |= MSG_DONTROUTE;
  return true;
}

int ZORIVT_WSAAPI wsSendTo(Socket s, const char* data, int length, int flags,
                           const winsock::SockAddr* to, int toLength) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (length < 0) return fail(WsaEinval);
  if (data == nullptr && length > 0) return fail(WsaEfault);
  int hostFlags;
  if (!hostFlagsOf(flags, WinMsgOob | WinMsgDontroute, hostFlags)) return fail(WsaEopnotsupp);
  hostFlags |= MSG_NOSIGNAL;
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

int ZORIVT_WSAAPI wsRecvFrom(Socket s, char* buffer, int length, int flags, winsock::SockAddr* from,
                             int* fromLength) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (length < 0) return fail(WsaEinval);
  if (buffer == nullptr && length > 0) return fail(WsaEfault);
  if (from != nullptr &&
      (fromLength == nullptr || *fromLength < static_cast<int>(sizeof(winsock::SockAddrIn)))) {
    return fail(WsaEfault);
  }
  int hostFlags;
  if (!hostFlagsOf(flags, WinMsgOob | WinMsgPeek, hostFlags)) return fail(WsaEopnotsupp);
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
  if (datagram && received > length) return fail(WsaEmsgsize);
  return static_cast<int>(received);
}

int ZORIVT_WSAAPI wsSelect(int, winsock::FdSet* readSet, winsock::FdSet* writeSet,
                           winsock::FdSet* errorSet, const winsock::TimeVal* timeout) {
  if (!started()) return winsock::SocketError;
  winsock::FdSet* sets[3] = {readSet, writeSet, errorSet};
  const short events[3] = {POLLIN, POLLOUT, POLLPRI};
  std::vector<pollfd> polled;
  for (int k = 0; k < 3; ++k) {
    if (sets[k] == nullptr) continue;
    if (sets[k]->fd_count > static_cast<std::uint32_t>(winsock::FdSetSize)) return fail(WsaEinval);
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
  if (polled.empty()) return fail(WsaEinval);  // Winsock refuses to wait on nothing

  long long wait = -1;
  if (timeout != nullptr) {
    if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return fail(WsaEinval);
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
    if (p.revents & POLLNVAL) return fail(WsaEnotsock);
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

int ZORIVT_WSAAPI wsGetLastError() {
  return lastSocketError;
}

int ZORIVT_WSAAPI wsGetSockName(Socket s, winsock::SockAddr* address, int* length) {
  if (!started()) return winsock::SocketError;
  const int fd = descriptorOf(s);
  if (fd < 0) return winsock::SocketError;
  if (address == nullptr || length == nullptr ||
      *length < static_cast<int>(sizeof(winsock::SockAddrIn))) {
    return fail(WsaEfault);
  }
  sockaddr_in host;
  std::memset(&host, 0, sizeof host);
  socklen_t hostLength = sizeof host;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&host), &hostLength) != 0) return failErrno();
  // Winsock refuses an unbound socket; the host reports 0.0.0.0:0 for it.
  if (host.sin_port == 0 && host.sin_addr.s_addr == 0) return fail(WsaEinval);
  windowsAddressOf(host, address);
  *length = static_cast<int>(sizeof(winsock::SockAddrIn));
  return 0;
}

struct Export {
  const char* name;
  ProcedureAddress address;
};

/// The explicit type argument makes each procedure's signature match the
/// one the checker binds it as.
template <typename Fn>
ProcedureAddress exported(Fn procedure) {
  return reinterpret_cast<ProcedureAddress>(procedure);
}

const Export Exports[] = {
    {"gethostname", exported<winsock::GetHostNameFn>(&wsGetHostName)},
    {"gethostbyname", exported<winsock::GetHostByNameFn>(&wsGetHostByName)},
    {"gethostbyaddr", exported<winsock::GetHostByAddrFn>(&wsGetHostByAddr)},
    {"getservbyname", exported<winsock::GetServByNameFn>(&wsGetServByName)},
    {"getprotobyname", exported<winsock::GetProtoByNameFn>(&wsGetProtoByName)},
    {"inet_addr", exported<winsock::InetAddrFn>(&wsInetAddr)},
    {"inet_ntoa", exported<winsock::InetNtoaFn>(&wsInetNtoa)},
    {"ntohs", exported<winsock::NtohsFn>(&wsNtohs)},
    {"ntohl", exported<winsock::NtohlFn>(&wsNtohl)},
    {"htons", exported<winsock::HtonsFn>(&wsHtons)},
    {"WSAStartup", exported<winsock::WsaStartupFn>(&wsStartup)},
    {"WSACleanup", exported<winsock::WsaCleanupFn>(&wsCleanup)},
    {"socket", exported<winsock::SocketFn>(&wsSocket)},
    {"setsockopt", exported<winsock::SetSockOptFn>(&wsSetSockOpt)},
    {"bind", exported<winsock::BindFn>(&wsBind)},
    {"connect", exported<winsock::ConnectFn>(&wsConnect)},
    {"closesocket", exported<winsock::CloseSocketFn>(&wsCloseSocket)},
    {"sendto", exported<winsock::SendToFn>(&wsSendTo)},
    {"recvfrom", exported<winsock::RecvFromFn>(&wsRecvFrom)},
    {"select", exported<winsock::SelectFn>(&wsSelect)},
    {"WSAGetLastError", exported<winsock::WsaGetLastErrorFn>(&wsGetLastError)},
    {"getsockname", exported<winsock::GetSockNameFn>(&wsGetSockName)},
};

}  // namespace

ProcedureAddress builtinWinsockProcedure(const char* name) {
  if (name == nullptr) return nullptr;
  for (const Export& e : Exports) {
    if (std::strcmp(e.name, name) == 0) return e.address;
  }
  return nullptr;
}

}  // namespace platform::posix
