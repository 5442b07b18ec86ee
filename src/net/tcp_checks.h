// The TCP/IP checks that the QuorLink protocol checks call. Each opens its
// own SocketLibrary and reports its own findings.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"
#include "driver/str.h"

class SocketLibrary;

/// The product's TCP services and their ports.
constexpr const char* QuorLinkStartService = "QuorLinkStart";
constexpr std::int32_t QuorLinkStartPort = 5010;
constexpr const char* QuorLinkAttachService = "QuorLinkAttach";
constexpr std::int32_t QuorLinkAttachPort = 5011;

/// Looks the TCP service up in the socket layer's services database.
/// Missing: -1 after CHK0306R when `required`, else 0 silently. Found: the
/// port, after CHK0308I when it is `expectedPort`, else CHK0307R.
std::int32_t checkTcpPort(SocketLibrary& sockets, ReportLog& log, const Str& serviceName,
                          std::int32_t expectedPort, bool required);

/// True for an empty host, or when the host has an address and answers a
/// ping (CHK0314I). `resolveByName` false accepts dotted addresses only.
/// Reports CHK0304R when there is no address, CHK0305I when the host's name
/// and dotted address differ, and the ping's findings. `resolved`, when
/// given, receives the address found (0 when none), whatever the ping gave.
bool checkServerHost(SocketLibrary& sockets, ReportLog& log, const Str& host, bool resolveByName,
                     std::uint32_t* resolved = nullptr);

/// Whether a configured TCP/IP address names a reachable host (true for an
/// empty one). The caller reports an invalid address.
bool validateTcpAddress(ReportLog& log, const Str& host);

/// The check of one TCP/IP server host, and with -t a TCP connection to its
/// QuorLink attach port. Returns the host check's result only.
bool testServerConnection(ReportLog& log, const CheckOptions& options, const Str& host);

/// The TCP/IP protocol check of this workstation: local host, the product's
/// TCP services, and under -d whether a local QuorLink server listens.
void checkTcpProtocol(ReportLog& log, const CheckOptions& options);
