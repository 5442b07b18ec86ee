// QuorLink server and protocol configuration checks, and the ObjectStore
// network check.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"
#include "driver/str.h"

/// Check routine of the "QuorLink Server" row: tuning variables, then the
/// protocol check. Returns 0.
std::int32_t checkQuorLinkServer(ReportLog& log, CheckOptions& options);
/// Update routine of the row (-u): the services file update when TCP/IP is
/// configured; its result, else 0.
std::int32_t updateQuorLinkServer(ReportLog& log, CheckOptions& options);

/// Determines and checks the configured protocols; once a run. Returns 0.
std::int32_t checkQuorLinkProtocols(ReportLog& log, CheckOptions& options);
/// Adds the protocols of ZOR_PROTOCOL to options.protocols.
void determineQuorLinkProtocols(ReportLog& log, CheckOptions& options);
/// Sets the bit of protocol `name` (LOC, TCI, SNA; letter case ignored) in
/// `set`, or reports the name as invalid.
void addQuorLinkProtocol(ReportLog& log, std::uint32_t& set, const Str& name);
/// Checks each protocol of `set`; SNA is reported and removed.
void checkProtocols(ReportLog& log, CheckOptions& options, std::uint32_t& set);
/// The check of one server entry of ZOR_RUNTIME_SERVER or ZOR_BUNDLE_SERVER
/// (protocol and address as written in it).
void checkServerSpec(ReportLog& log, CheckOptions& options, const Str& protocol,
                     const Str& address);
/// The check of the server at `address` for one protocol bit (0: nothing).
void checkServerAddress(ReportLog& log, CheckOptions& options, std::uint32_t protocol,
                        const Str& address);
/// Where the database server is, and whether OS_NETWORK names usable
/// ObjectStore network libraries. Returns 0.
std::int32_t checkObjectStoreNetwork(ReportLog& log, CheckOptions& options);
