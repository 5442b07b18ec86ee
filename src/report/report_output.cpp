#include "report/report_output.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "driver/message.h"
#include "report/reference.h"

namespace {

const char* className(FindingClass findingClass) {
  switch (findingClass) {
    case FindingClass::Error:
      return "error";
    case FindingClass::Attention:
      return "attention";
    case FindingClass::Information:
      return "information";
    case FindingClass::Debug:
      break;
  }
  return "debug";
}

std::string plural(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string counts(const LogSummary& s) {
  return plural(s.errors, "error", "errors") + ", " + std::to_string(s.attention) + " attention, " +
         std::to_string(s.information) + " information";
}

std::string verdictText(const LogSummary& s) {
  switch (s.state) {
    case LogState::Unreadable:
      return "the file cannot be read.";
    case LogState::NotALog:
      return "the file does not start with the checker's line CHK0000I.";
    case LogState::Incomplete:
      return "the log has no closing line CHK0999I: the run was cut short. Run the checker again.";
    case LogState::Complete:
      break;
  }
  if (s.errors > 0) {
    return plural(s.errors, "error", "errors") + " and " +
           plural(s.attention, "attention message", "attention messages") +
           ": the installation is not sound.";
  }
  if (s.attention > 0) {
    return plural(s.attention, "attention message", "attention messages") +
           " and no error: look at the findings above.";
  }
  return "no error and no attention message.";
}

/// JSON string: the log's bytes read as ISO 8859-1, so that any byte makes
/// valid JSON; quotes, backslashes and control characters escaped.
void jsonString(std::ostream& out, const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  out << '"';
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out << '\\' << c;
    } else if (u < 0x20 || u >= 0x7f) {
      out << "\\u00" << digits[u >> 4] << digits[u & 15];
    } else {
      out << c;
    }
  }
  out << '"';
}

void jsonOptional(std::ostream& out, const std::string& text) {
  if (text.empty()) {
    out << "null";
  } else {
    jsonString(out, text);
  }
}

void jsonCounts(std::ostream& out, std::uint64_t errors, std::uint64_t attention,
                std::uint64_t information) {
  out << "{\"error\": " << errors << ", \"attention\": " << attention
      << ", \"information\": " << information << "}";
}

std::string hintOf(const std::string& code) {
  const ReferenceEntry* entry = findReferenceEntry(code);
  return entry ? whatToDo(*entry) : std::string();
}

/// Each paragraph of `text` (one a line) in lines of at most 78 columns,
/// the first after `first`, the others after `indent`.
void writeWrapped(std::ostream& out, const std::string& first, const std::string& indent,
                  const std::string& text) {
  constexpr std::size_t Width = 78;
  std::istringstream paragraphs(text);
  std::string lead = first;
  for (std::string paragraph; std::getline(paragraphs, paragraph);) {
    std::istringstream words(paragraph);
    std::string line = lead;
    bool empty = true;
    for (std::string word; words >> word;) {
      if (!empty && line.size() + 1 + word.size() > Width) {
        out << line << "\n";
        line = indent;
        empty = true;
      }
      line += (empty ? "" : " ") + word;
      empty = false;
    }
    out << line << "\n";
    lead = indent;
  }
}

void usage(std::ostream& out) {
  out << "Usage: zorivt-report [--json] zorivt.log ...\n"
         "       zorivt-report --explain CODE\n"
         "\n"
         "Summarizes logs of the zorivt configuration checker: the run, the number of\n"
         "messages of each class, the errors and attention messages by section with\n"
         "what to do about them, and a verdict. Several logs give one line each and\n"
         "the totals.\n"
         "\n"
         "  --json          write the summary as JSON\n"
         "  --explain CODE  print the message reference's entry for CODE\n"
         "  --help          print this text\n"
         "\n"
         "Exit status: 0 sound, 1 attention, 2 error, 3 a log is unreadable, no log\n"
         "or incomplete, or the command line is wrong.\n";
}

}  // namespace

const char* verdictWord(const LogSummary& s) {
  switch (s.state) {
    case LogState::Unreadable:
      return "unreadable";
    case LogState::NotALog:
      return "not-a-log";
    case LogState::Incomplete:
      return "incomplete";
    case LogState::Complete:
      break;
  }
  return s.errors > 0 ? "error" : s.attention > 0 ? "attention" : "sound";
}

void writeSummary(std::ostream& out, const NamedSummary& log) {
  const LogSummary& s = log.summary;
  out << "Log: " << visibleText(log.path) << "\n";
  if (s.state == LogState::Complete || s.state == LogState::Incomplete) {
    out << "Run: " << s.kind << ", checker " << visibleText(s.level) << ", started "
        << visibleText(s.started) << "\n";
    out << "Messages: " << counts(s) << "\n";
    for (const Section& section : s.sections) {
      out << "\n"
          << (section.title.empty() ? "(before the first section)" : visibleText(section.title))
          << "\n";
      for (const Finding& finding : section.findings) {
        out << "  line " << finding.lineNumber << ", " << className(finding.findingClass) << ": "
            << visibleText(finding.text) << "\n";
        const std::string hint = hintOf(finding.code);
        if (hint.empty()) continue;
        writeWrapped(out, "    What to do: ", "      ", hint);
      }
    }
    if (s.unlisted > 0) {
      out << "\n" << plural(s.unlisted, "more finding", "more findings") << " not listed.\n";
    }
    out << "\n";
  }
  out << "Verdict: " << verdictWord(s) << ": " << verdictText(s) << "\n";
}

void writeOverview(std::ostream& out, const std::vector<NamedSummary>& logs) {
  std::uint64_t errors = 0, attention = 0, information = 0;
  std::uint64_t sound = 0, withAttention = 0, withErrors = 0, unusable = 0;
  for (const NamedSummary& log : logs) {
    const LogSummary& s = log.summary;
    out << visibleText(log.path) << ": " << verdictWord(s);
    if (s.state == LogState::Complete || s.state == LogState::Incomplete)
      out << " (" << counts(s) << ")";
    out << "\n";
    errors += s.errors;
    attention += s.attention;
    information += s.information;
    switch (s.exitStatus()) {
      case 0:
        ++sound;
        break;
      case 1:
        ++withAttention;
        break;
      case 2:
        ++withErrors;
        break;
      default:
        ++unusable;
        break;
    }
  }
  out << "Totals: " << logs.size() << " logs: " << sound << " sound, " << withAttention
      << " attention, " << withErrors << " error, " << unusable << " unreadable or incomplete; "
      << plural(errors, "error", "errors") << ", " << attention << " attention, " << information
      << " information\n";
}

void writeJson(std::ostream& out, const std::vector<NamedSummary>& logs) {
  std::uint64_t errors = 0, attention = 0, information = 0;
  std::uint64_t verdicts[4] = {0, 0, 0, 0};
  out << "{\n  \"report\": \"zorivt-report\",\n  \"schema_version\": 1,\n  \"logs\": [";
  const char* separator = "\n";
  for (const NamedSummary& log : logs) {
    const LogSummary& s = log.summary;
    out << separator << "    {\"path\": ";
    separator = ",\n";
    jsonString(out, log.path);
    out << ", \"verdict\": \"" << verdictWord(s) << "\", \"exit_status\": " << s.exitStatus()
        << ",\n     \"kind\": ";
    jsonOptional(out, s.kind);
    out << ", \"level\": ";
    jsonOptional(out, s.level);
    out << ", \"started\": ";
    jsonOptional(out, s.started);
    out << ",\n     \"counts\": ";
    jsonCounts(out, s.errors, s.attention, s.information);
    out << ", \"unlisted\": " << s.unlisted << ",\n     \"sections\": [";
    const char* sectionSeparator = "\n";
    for (const Section& section : s.sections) {
      out << sectionSeparator << "       {\"title\": ";
      sectionSeparator = ",\n";
      jsonString(out, section.title);
      out << ", \"findings\": [";
      const char* findingSeparator = "\n";
      for (const Finding& finding : section.findings) {
        out << findingSeparator << "         {\"line\": " << finding.lineNumber << ", \"code\": ";
        findingSeparator = ",\n";
        jsonString(out, finding.code);
        out << ", \"class\": \"" << className(finding.findingClass) << "\", \"text\": ";
        jsonString(out, finding.text);
        out << ", \"what_to_do\": ";
        jsonString(out, hintOf(finding.code));
        out << "}";
      }
      out << "]}";
    }
    out << "]}";
    errors += s.errors;
    attention += s.attention;
    information += s.information;
    ++verdicts[s.exitStatus()];
  }
  out << "\n  ],\n  \"totals\": {\"logs\": " << logs.size() << ", \"sound\": " << verdicts[0]
      << ", \"attention\": " << verdicts[1] << ", \"error\": " << verdicts[2]
      << ", \"unusable\": " << verdicts[3] << ", \"exit_status\": " << worstStatus(logs)
      << ",\n             \"counts\": ";
  jsonCounts(out, errors, attention, information);
  out << "}\n}\n";
}

int worstStatus(const std::vector<NamedSummary>& logs) {
  int worst = 0;
  for (const NamedSummary& log : logs) worst = std::max(worst, log.summary.exitStatus());
  return worst;
}

int runReport(int argc, char** argv, std::ostream& out, std::ostream& err) {
  bool json = false;
  std::vector<std::string> paths;
  std::string explain;
  bool explaining = false;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (options && argument == "--") {
      options = false;
    } else if (options && argument == "--json") {
      json = true;
    } else if (options && argument == "--help") {
      usage(out);
      return 0;
    } else if (options && argument == "--explain" && i + 1 < argc) {
      explaining = true;
      explain = argv[++i];
    } else if (options && argument.size() > 1 && argument[0] == '-') {
      err << "zorivt-report: unknown option " << visibleText(argument) << "\n";
      usage(err);
      return 3;
    } else {
      paths.push_back(argument);
    }
  }
  if (explaining) {
    if (!paths.empty() || json) {
      usage(err);
      return 3;
    }
    const ReferenceEntry* entry = findReferenceEntry(explain);
    if (entry == nullptr) {
      err << "zorivt-report: " << visibleText(explain) << " is not a message code of zorivt\n";
      return 3;
    }
    out << entry->code << "\n\n" << plainText(entry->text) << "\n";
    return 0;
  }
  if (paths.empty()) {
    usage(err);
    return 3;
  }
  std::vector<NamedSummary> logs;
  for (const std::string& path : paths) logs.push_back(NamedSummary{path, readLogFile(path)});
  if (json) {
    writeJson(out, logs);
  } else if (logs.size() == 1) {
    writeSummary(out, logs.front());
  } else {
    writeOverview(out, logs);
  }
  return worstStatus(logs);
}
