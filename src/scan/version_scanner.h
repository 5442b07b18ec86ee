// The version-string scan of option -s.
#pragma once

#include <cstdint>

#include "driver/report_log.h"
#include "driver/str.h"

/// Scans every file that matches the ";"-separated masks (in the
/// directories of `defaultPath` for masks without a directory) for an
/// embedded version string and reports it; returns the number of files
/// visited.
std::int32_t scanVersionStrings(ReportLog& log, const Str& defaultPath, const Str& masks);
