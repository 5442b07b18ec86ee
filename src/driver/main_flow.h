// The program's entry: command line, start lines, run phase, closing line
// and exit status.
#pragma once

#include <string>

#include "driver/check_options.h"
#include "driver/checker_level.h"
#include "driver/message_catalog.h"
#include "driver/report_log.h"

/// The checker's own level, shown in the start line.
constexpr const char* CheckerLevel = ZORIVT_LEVEL;
/// The option letters: ":" marks a required argument, "*" an optional one.
constexpr const char* OptionLetters = "2:f:F:dDiIeEs*S*Ttu*U*v:V:";
constexpr const char* LogFileName = "zorivt.log";

/// What the command line asked for.
struct CommandLine {
  CheckOptions options;
  RunSwitches switches;
  MessageId threshold = ThresholdDefault;
  bool usageError = false;
};

/// Parses the arguments; usageError is set for anything the checker does
/// not accept (the caller prints the usage text).
CommandLine parseCommandLine(int argc, const char* const* argv);

/// The usage text for program name `program`, each line ended by "\n".
std::string usageText(const char* program);

/// Exit status of a run whose log file was opened but not written whole; it
/// replaces the status the run would otherwise end with.
constexpr int ExitLogWriteFailed = 3;

/// Exit status of a run that ran out of memory (after CHK0097R).
constexpr int ExitOutOfMemory = 4;

/// Runs the checker and returns the process exit status: 1 for a usage
/// error or a refused version, ExitLogWriteFailed when the log could not be
/// written whole, ExitOutOfMemory when memory ran out during the checks,
/// else the result of the run phase.
int runMain(int argc, const char* const* argv);

/// runMain with the log written to `logFile` (a path on the machine)
/// instead of LogFileName in the current directory.
int runMain(int argc, const char* const* argv, const char* logFile);

/// runMain, and ExitOutOfMemory with CHK0097R on standard error when memory
/// runs out where no log can take the message (the program's entry).
int runMainGuarded(int argc, const char* const* argv);
