// The product's components and the driver that walks them: for each, find
// its executable, report it found or not installed, and run its check (or,
// with -u, its update) routine.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"

/// A check or update routine: reports to the log and returns 0, or non-zero
/// to make the run's result 2.
using ComponentRoutine = std::int32_t (*)(ReportLog& log, CheckOptions& options);

/// Executable columns of the table; this program reads the last one.
constexpr int ExecutableColumns = 4;
constexpr int ExecutableColumnRead = 3;

struct ComponentEntry {
  const char* displayName;  // null ends the table
  ComponentRoutine check;   // may be null
  ComponentRoutine update;  // may be null; called only with -u
  /// Executable per platform column: null = no such component here, empty =
  /// no executable (always processed).
  const char* executable[ExecutableColumns];
};

/// The components in the order of checking, and the end row.
extern const ComponentEntry ComponentTable[];

/// Walks `table` (ComponentTable unless a test gives another). Returns 0
/// when every routine returned 0, else 2 (all rows still run).
std::int32_t runComponentChecks(ReportLog& log, CheckOptions& options, bool updateMode,
                                const ComponentEntry* table = ComponentTable);
