// Between the start lines and the closing line: installation discovery and
// then exactly one activity (component check, variable display or version
// scan).
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"

/// Runs discovery and the selected activity; returns the run's result: the
/// non-zero result of discovery, else the component check's (0 or 2), else 0.
std::int32_t runPhase(ReportLog& log, CheckOptions& options, const RunSwitches& switches);

/// Releases what the run phase built (the variable store). Called after the
/// closing line.
void endRunPhase();
