// The text of a machine's `network` file: the Winsock calls of a recorded
// run, one call a line followed by its outputs on indented lines. The
// recorder writes it and the POSIX backend's replay reads it; both build a
// call's identifying arguments with the same functions here, so that a call
// of the replayed run finds its record by plain text comparison. Every text
// and byte string is quoted with escapes, so the file is printable ASCII
// whatever a name or a datagram holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/winsock_abi.h"

namespace platform::network_text {

/// One recorded call: "<procedure> <key> -> <result>[ error <code>]", then
/// its outputs as "  <field> <value>" lines, in order.
struct CallRecord {
  std::string procedure;
  std::string key;     // the identifying arguments, tokens joined by one space
  std::string result;  // one token
  bool failed = false;
  int error = 0;  // WSAGetLastError after the call, when `failed`
  std::vector<std::pair<std::string, std::string>> fields;

  /// The value of the first field of that name; null when there is none.
  const std::string* field(const char* name) const;
};

/// `"text"`: bytes outside printable ASCII as \xHH, the quote and the
/// backslash as \" and \\; "null" for a null text.
std::string quoted(const char* text);
std::string quotedBytes(const char* data, std::size_t size);
/// The bytes of a quoted token; false when `token` is not one (or has a
/// malformed escape).
bool unquote(const std::string& token, std::string& bytes);

/// "a.b.c.d" of an address in network byte order (memory order of its bytes).
std::string addressText(std::uint32_t address);
bool parseAddress(const std::string& text, std::uint32_t& address);
/// "a.b.c.d:port" of an IPv4 socket address; "family<n>" for another family,
/// "null" for none, "short<n>" for a length below sockaddr_in's.
std::string endpointText(const winsock::SockAddr* address, int length);
/// Parses "a.b.c.d:port"; address and port in network byte order.
bool parseEndpoint(const std::string& text, std::uint32_t& address, std::uint16_t& port);
/// A socket handle in decimal, "invalid" for INVALID_SOCKET.
std::string socketText(winsock::Socket s);
bool parseSocket(const std::string& text, winsock::Socket& s);
/// A select set: "null", "empty", or its handles joined by commas.
std::string setText(const winsock::FdSet* set);
/// Fills `set` from setText's text (at most FD_SETSIZE handles).
bool parseSet(const std::string& text, winsock::FdSet& set);
/// "major.minor" of a Winsock version word (major in the low byte).
std::string versionText(std::uint16_t version);
bool parseVersion(const std::string& text, std::uint16_t& version);
/// A decimal integer in [minimum, maximum].
bool parseNumber(const std::string& text, long long minimum, long long maximum, long long& value);

/// The identifying arguments of each recorded call (those that decide its
/// answer), as recorder and replay both write them.
namespace key {
std::string getHostName(int length);
std::string getHostByName(const char* name);
std::string procedure(const char* name);
std::string getHostByAddr(const char* address, int length, int type);
std::string getServByName(const char* name, const char* protocol);
std::string getProtoByName(const char* name);
std::string inetAddr(const char* text);
std::string inetNtoa(winsock::InAddr address);
std::string startup(std::uint16_t version);
std::string socket(int family, int type, int protocol);
std::string setSockOpt(winsock::Socket s, int level, int option, const char* value, int length);
std::string withAddress(winsock::Socket s, const winsock::SockAddr* address, int length);
std::string sendTo(winsock::Socket s, const char* data, int length, int flags,
                   const winsock::SockAddr* to, int toLength);
std::string recvFrom(winsock::Socket s, int length, int flags);
std::string select(const winsock::FdSet* read, const winsock::FdSet* write,
                   const winsock::FdSet* error);
}  // namespace key

/// The record's lines, each ended by "\n".
std::string formatRecord(const CallRecord& record);

/// The records of a network file's text. Blank lines and lines starting
/// with "#" are skipped, and so is a call line that cannot be read, with
/// its indented lines; `skipped` counts those calls.
std::vector<CallRecord> parseRecords(const std::string& text, std::size_t& skipped);

}  // namespace platform::network_text
