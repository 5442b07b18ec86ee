// The TCP/IP checks that the QuorLink protocol checks call. Each opens its
// own SocketLibrary and reports its own findings.
#pragma once

#include "driver/check_options.h"
#include "driver/report_log.h"
#include "driver/str.h"

/// Whether a configured TCP/IP address names a reachable host (true for an
/// empty one). The caller reports an invalid address.
bool validateTcpAddress(ReportLog& log, const Str& host);

/// The check of one TCP/IP server host, and with -t a TCP connection to its
/// QuorLink attach port. Returns the host check's result only.
bool testServerConnection(ReportLog& log, const CheckOptions& options, const Str& host);

/// The TCP/IP protocol check of this workstation: local host, the product's
/// TCP services, and under -d whether a local QuorLink server listens.
void checkTcpProtocol(ReportLog& log, const CheckOptions& options);
