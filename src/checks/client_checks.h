// Checks of the client components: their files, and the servers they
// connect to (ZOR_RUNTIME_SERVER and ZOR_BUNDLE_SERVER entries).
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"
#include "driver/str.h"

std::int32_t checkBuildtimeClient(ReportLog& log, CheckOptions& options);
std::int32_t checkRuntimeClient(ReportLog& log, CheckOptions& options);
std::int32_t checkBundleClient(ReportLog& log, CheckOptions& options);
/// Performs no check and reports nothing.
std::int32_t checkShutdownGui(ReportLog& log, CheckOptions& options);

/// Checks that the product file base name + language + extension exists: a
/// library loadable by the system's search counts as present; otherwise
/// the file in `baseDirectory`, or in a directory of the environment
/// variable `searchVariable` (none when empty). Reports CHK0108R or
/// CHK0008R (with `label`) when it is missing.
void checkProductFile(ReportLog& log, const Str& baseDirectory, const Str& searchVariable,
                      const Str& baseName, const Str& language, const Str& extension,
                      const Str& label);

/// ZOR_RUNTIME_SERVER: entries of key, second field, address, protocol;
/// duplicate keys (ignoring case) and an incomplete last entry are
/// reported; every complete entry is checked.
std::int32_t checkRuntimeServerSpec(ReportLog& log, CheckOptions& options);
/// ZOR_BUNDLE_SERVER: entries of first field, address, protocol.
std::int32_t checkBundleServerSpec(ReportLog& log, CheckOptions& options);
