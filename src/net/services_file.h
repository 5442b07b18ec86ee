// The TCP/IP services file update of option -u.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"
#include "driver/str.h"

/// The services file in the TCP/IP directory (the -u argument, or the
/// system's); empty after reporting a missing directory or file.
Str servicesFilePath(ReportLog& log, const CheckOptions& options);

/// Writes the entry of one service into the services file, replacing the
/// lines that belong to the service (kept as dated comments) or appending
/// it. The file is replaced in one step, never left half-written. 0 on
/// success, 1 on a reported failure.
std::int32_t addServiceEntry(ReportLog& log, const Str& servicesPath, const Str& serviceName,
                             std::int32_t port);

/// Adds each required QuorLink service that the socket layer does not know.
/// 0 when every needed change was made, 1 when something failed.
std::int32_t updateServicesFile(ReportLog& log, const CheckOptions& options);
