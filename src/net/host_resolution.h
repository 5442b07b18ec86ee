// Host names to IPv4 addresses and back, and the local host's name and
// address, through an opened SocketLibrary. Addresses are 32-bit values in
// network byte order; 0 and INADDR_NONE both mean "no address". Each
// operation reports its own failures.
#pragma once

#include <cstdint>

#include "driver/report_log.h"
#include "driver/str.h"
#include "net/socket_library.h"

/// A dotted address as it is (no lookup); otherwise the first address of
/// the name. After a failed lookup: CHK0002R of gethostbyname and the debug
/// line with the name, and the result is what inet_addr gave the text
/// (INADDR_NONE, or 0 for "0.0.0.0", which is looked up as a name).
std::uint32_t resolveHostAddress(SocketLibrary& sockets, ReportLog& log, const Str& host);

/// The official name of the host with `address`; empty after reporting
/// CHK0329R (not found), CHK0330A (no data) or CHK0002R of gethostbyaddr.
Str lookupHostName(SocketLibrary& sockets, ReportLog& log, std::uint32_t address);

/// The local host's address, its name in `name` (empty when gethostname
/// failed: CHK0002R, and CHK0333A for code 10108; the result is then 0).
/// When the name does not resolve, `name` holds it and the result is
/// resolveHostAddress's (INADDR_NONE after its report).
std::uint32_t localHostAddress(SocketLibrary& sockets, ReportLog& log, Str& name);
