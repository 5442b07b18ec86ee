#include "platform/network_text.h"

#include <cstdio>
#include <cstring>

namespace platform::network_text {
namespace {

constexpr char Hex[] = "0123456789ABCDEF";

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

/// The line's tokens: quoted ones (kept with their quotes) and bare words,
/// separated by blanks. False for an unterminated quote.
bool splitTokens(const std::string& line, std::vector<std::string>& tokens) {
  tokens.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\') ++i;
      }
      if (i >= line.size()) return false;
      ++i;
    } else {
      while (i < line.size() && !isBlank(line[i])) ++i;
    }
    tokens.push_back(line.substr(start, i - start));
  }
  return true;
}

std::string joined(const std::vector<std::string>& tokens, std::size_t from, std::size_t to) {
  std::string text;
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) text += ' ';
    text += tokens[i];
  }
  return text;
}

bool parseCallLine(const std::string& line, CallRecord& record) {
  std::vector<std::string> tokens;
  if (!splitTokens(line, tokens)) return false;
  std::size_t arrow = 1;
  while (arrow < tokens.size() && tokens[arrow] != "->") ++arrow;
  if (arrow + 1 >= tokens.size()) return false;
  record = CallRecord();
  record.procedure = tokens[0];
  record.key = joined(tokens, 1, arrow);
  record.result = tokens[arrow + 1];
  const std::size_t rest = tokens.size() - arrow - 2;
  if (rest == 0) return true;
  long long code;
  if (rest != 2 || tokens[arrow + 2] != "error" ||
      !parseNumber(tokens[arrow + 3], 0, 0x7FFFFFFF, code)) {
    return false;
  }
  record.failed = true;
  record.error = static_cast<int>(code);
  return true;
}

std::string decimal(long long value) {
  return std::to_string(value);
}

}  // namespace

const std::string* CallRecord::field(const char* name) const {
  for (const auto& [fieldName, value] : fields) {
    if (fieldName == name) return &value;
  }
  return nullptr;
}

std::string quotedBytes(const char* data, std::size_t size) {
  std::string text = "\"";
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      text += "\\x";
      text += Hex[c >> 4];
      text += Hex[c & 0x0F];
    }
  }
  return text + "\"";
}

std::string quoted(const char* text) {
  return text == nullptr ? "null" : quotedBytes(text, std::strlen(text));
}

bool unquote(const std::string& token, std::string& bytes) {
  bytes.clear();
  if (token.size() < 2 || token.front() != '"' || token.back() != '"') return false;
  for (std::size_t i = 1; i + 1 < token.size(); ++i) {
    const char c = token[i];
    if (c == '"') return false;
    if (c != '\\') {
      bytes += c;
      continue;
    }
    if (i + 2 >= token.size()) return false;
    const char next = token[++i];
    if (next == '"' || next == '\\') {
      bytes += next;
    } else if (next == 'x' && i + 3 < token.size() && hexDigit(token[i + 1]) >= 0 &&
               hexDigit(token[i + 2]) >= 0) {
      bytes += static_cast<char>(hexDigit(token[i + 1]) * 16 + hexDigit(token[i + 2]));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

bool parseNumber(const std::string& text, long long minimum, long long maximum, long long& value) {
  std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 18) return false;
  long long magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
  }
  value = text[0] == '-' ? -magnitude : magnitude;
  return value >= minimum && value <= maximum;
}

std::string addressText(std::uint32_t address) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address, 4);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return text;
}

bool parseAddress(const std::string& text, std::uint32_t& address) {
  unsigned char bytes[4];
  std::size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    std::size_t end = part < 3 ? text.find('.', start) : text.size();
    if (end == std::string::npos) return false;
    long long value;
    if (!parseNumber(text.substr(start, end - start), 0, 255, value) ||
        text.compare(start, 1, "-") == 0) {
      return false;
    }
    bytes[part] = static_cast<unsigned char>(value);
    start = end + 1;
  }
  std::memcpy(&address, bytes, 4);
  return true;
}

std::string endpointText(const winsock::SockAddr* address, int length) {
  if (address == nullptr) return "null";
  if (length < static_cast<int>(sizeof(winsock::SockAddrIn))) return "short" + decimal(length);
  winsock::SockAddrIn in;
  std::memcpy(&in, address, sizeof in);
  if (in.sin_family != winsock::AfInet) return "family" + decimal(in.sin_family);
  unsigned char port[2];
  std::memcpy(port, &in.sin_port, 2);
  return addressText(in.sin_addr.s_addr) + ":" + decimal((port[0] << 8) | port[1]);
}

bool parseEndpoint(const std::string& text, std::uint32_t& address, std::uint16_t& port) {
  const std::size_t colon = text.rfind(':');
  long long number;
  if (colon == std::string::npos || !parseAddress(text.substr(0, colon), address) ||
      !parseNumber(text.substr(colon + 1), 0, 65535, number)) {
    return false;
  }
  const unsigned char bytes[2] = {static_cast<unsigned char>(number >> 8),
                                  static_cast<unsigned char>(number & 0xFF)};
  std::memcpy(&port, bytes, 2);
  return true;
}

std::string socketText(winsock::Socket s) {
  return s == winsock::InvalidSocket ? "invalid" : std::to_string(s);
}

bool parseSocket(const std::string& text, winsock::Socket& s) {
  if (text == "invalid") {
    s = winsock::InvalidSocket;
    return true;
  }
  if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  s = 0;
  for (char c : text) {
    const winsock::Socket next = s * 10 + static_cast<winsock::Socket>(c - '0');
    if (next / 10 != s) return false;  // does not fit
    s = next;
  }
  return s != winsock::InvalidSocket;
}

std::string setText(const winsock::FdSet* set) {
  if (set == nullptr) return "null";
  if (set->fd_count == 0) return "empty";
  std::string text;
  const std::uint32_t count = set->fd_count < winsock::FdSetSize
                                  ? set->fd_count
                                  : static_cast<std::uint32_t>(winsock::FdSetSize);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (i > 0) text += ',';
    text += socketText(set->fd_array[i]);
  }
  return text;
}

bool parseSet(const std::string& text, winsock::FdSet& set) {
  set.fd_count = 0;
  if (text == "empty") return true;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    winsock::Socket s;
    if (set.fd_count == winsock::FdSetSize || !parseSocket(text.substr(start, end - start), s)) {
      return false;
    }
    set.fd_array[set.fd_count++] = s;
    if (end == text.size()) return true;
    start = end + 1;
  }
}

std::string versionText(std::uint16_t version) {
  return decimal(version & 0xFF) + "." + decimal(version >> 8);
}

bool parseVersion(const std::string& text, std::uint16_t& version) {
  const std::size_t dot = text.find('.');
  long long major, minor;
  if (dot == std::string::npos || !parseNumber(text.substr(0, dot), 0, 255, major) ||
      !parseNumber(text.substr(dot + 1), 0, 255, minor)) {
    return false;
  }
  version = static_cast<std::uint16_t>(major | (minor << 8));
  return true;
}

namespace key {

std::string getHostName(int length) {
  return decimal(length);
}

std::string getHostByName(const char* name) {
  return quoted(name);
}

std::string procedure(const char* name) {
  return quoted(name);
}

std::string getHostByAddr(const char* address, int length, int type) {
  std::string text = "null";
  if (address != nullptr && length >= 4) {
    std::uint32_t value;
    std::memcpy(&value, address, 4);
    text = addressText(value);
  }
  return text + " " + decimal(length) + " " + decimal(type);
}

std::string getServByName(const char* name, const char* protocol) {
  return quoted(name) + " " + quoted(protocol);
}

std::string getProtoByName(const char* name) {
  return quoted(name);
}

std::string inetAddr(const char* text) {
  return quoted(text);
}

std::string inetNtoa(winsock::InAddr address) {
  return addressText(address.s_addr);
}

std::string startup(std::uint16_t version) {
  return versionText(version);
}

std::string socket(int family, int type, int protocol) {
  return decimal(family) + " " + decimal(type) + " " + decimal(protocol);
}

std::string setSockOpt(winsock::Socket s, int level, int option, const char* value, int length) {
  const std::string bytes =
      value == nullptr ? "null"
                       : quotedBytes(value, length > 0 ? static_cast<std::size_t>(length) : 0);
  return socketText(s) + " " + decimal(level) + " " + decimal(option) + " " + bytes;
}

std::string withAddress(winsock::Socket s, const winsock::SockAddr* address, int length) {
  return socketText(s) + " " + endpointText(address, length);
}

std::string sendTo(winsock::Socket s, const char* data, int length, int flags,
                   const winsock::SockAddr* to, int toLength) {
  const std::string bytes =
      data == nullptr ? "null"
                      : quotedBytes(data, length > 0 ? static_cast<std::size_t>(length) : 0);
  return socketText(s) + " " + bytes + " " + decimal(flags) + " " +
         (to == nullptr ? std::string("null") : endpointText(to, toLength));
}

std::string recvFrom(winsock::Socket s, int length, int flags) {
  return socketText(s) + " " + decimal(length) + " " + decimal(flags);
}

std::string select(const winsock::FdSet* read, const winsock::FdSet* write,
                   const winsock::FdSet* error) {
  return setText(read) + " " + setText(write) + " " + setText(error);
}

}  // namespace key

std::string formatRecord(const CallRecord& record) {
  std::string text = record.procedure;
  if (!record.key.empty()) text += " " + record.key;
  text += " -> " + record.result;
  if (record.failed) text += " error " + decimal(record.error);
  text += '\n';
  for (const auto& [name, value] : record.fields) text += "  " + name + " " + value + "\n";
  return text;
}

std::vector<CallRecord> parseRecords(const std::string& text, std::size_t& skipped) {
  std::vector<CallRecord> records;
  skipped = 0;
  bool inRecord = false;  // indented lines belong to the last call read
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (isBlank(line[0])) {
      std::vector<std::string> tokens;
      if (inRecord && splitTokens(line, tokens) && !tokens.empty()) {
        records.back().fields.emplace_back(tokens[0], joined(tokens, 1, tokens.size()));
      }
      continue;
    }
    inRecord = false;
    if (line[0] == '#') continue;
    CallRecord record;
    if (!parseCallLine(line, record)) {
      ++skipped;
      continue;
    }
    records.push_back(std::move(record));
    inRecord = true;
  }
  return records;
}

}  // namespace platform::network_text
