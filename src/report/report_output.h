// What zorivt-report writes: a summary of one log, one line per log with
// totals for several, the same content as JSON, and reference entries.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "report/log_summary.h"

struct NamedSummary {
  std::string path;
  LogSummary summary;
};

/// "sound", "attention", "error", "incomplete", "not-a-log" or "unreadable".
const char* verdictWord(const LogSummary& summary);

/// The whole summary of one log: run, counts, findings by section with
/// what to do about each, and the verdict.
void writeSummary(std::ostream& out, const NamedSummary& log);

/// One line per log, then the totals.
void writeOverview(std::ostream& out, const std::vector<NamedSummary>& logs);

/// The JSON document of the reference's "zorivt-report --json" schema.
void writeJson(std::ostream& out, const std::vector<NamedSummary>& logs);

/// The worst exit status of the logs (0 for none).
int worstStatus(const std::vector<NamedSummary>& logs);

/// The program: its command line, output and exit status.
int runReport(int argc, char** argv, std::ostream& out, std::ostream& err);
