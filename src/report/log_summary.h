// What a zorivt.log says, read line by line against the checker's own
// message catalog: the kind of run, the checker's level and start time, the
// number of messages of each class, and the error and attention findings
// grouped by the report's sections (its "===>" lines).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class FindingClass { Debug, Information, Attention, Error };

/// The class of a message code after the checker's catalog; false for a
/// code the catalog does not know.
bool classOfCode(const std::string& code, FindingClass& found);

struct Finding {
  std::string code;
  FindingClass findingClass = FindingClass::Error;
  std::uint64_t lineNumber = 0;  // 1-based line of the log
  std::string text;              // the whole line, code included
};

struct Section {
  std::string title;  // the "===>" line's text, such as "General checks"
  std::vector<Finding> findings;
};

enum class LogState {
  Complete,    // from the start line to CHK0999I
  Incomplete,  // starts like a log but has no CHK0999I: the run was cut short
  NotALog,     // does not start with the checker's start line
  Unreadable,  // could not be opened or read
};

struct LogSummary {
  LogState state = LogState::NotALog;
  std::string kind;     // "check", "update", "variables" or "scan"; empty for no log
  std::string level;    // the checker's level, such as "V2R3.4.2"
  std::string started;  // the start time as the log gives it
  std::uint64_t errors = 0;
  std::uint64_t attention = 0;
  std::uint64_t information = 0;
  std::vector<Section> sections;  // only those holding a listed finding
  std::uint64_t unlisted = 0;     // findings beyond the ones kept (see LogReader)

  /// 0 sound, 1 attention, 2 error, 3 incomplete, not a log or unreadable.
  int exitStatus() const;
};

/// Reads a log from pieces of bytes in any cut, in linear time and bounded
/// memory: lines longer than MaxLineLength keep only their start, and past
/// MaxFindings findings only the counts go on.
class LogReader {
 public:
  static constexpr std::size_t MaxLineLength = 1024;
  static constexpr std::size_t MaxFindings = 1000;

  void feed(const char* bytes, std::size_t count);
  /// Ends the input; the reader is not used afterwards.
  LogSummary finish();

 private:
  void line(std::string text);

  LogSummary summary_;
  std::string pending_;
  bool pendingTooLong_ = false;
  std::uint64_t lineNumber_ = 0;
  bool started_ = false;
  bool notALog_ = false;
  bool ended_ = false;
  bool sawUpdate_ = false, sawVariables_ = false, sawScan_ = false;
  std::string section_;
  std::size_t listed_ = 0;
};

/// The log file at `path`, read through the platform's files.
LogSummary readLogFile(const std::string& path);
