#include "report/log_summary.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "driver/message_catalog.h"
#include "platform/file.h"

namespace {

FindingClass classOfId(MessageId id) {
  if (id == msg::CHK_DBG) return FindingClass::Debug;
  if (id >= FirstAttentionId && id < FirstErrorId) return FindingClass::Attention;
  if (id >= FirstErrorId && id < FirstAlwaysShownId) return FindingClass::Error;
  // Information proper and the always-shown frame of the report.
  return FindingClass::Information;
}

/// "CHKnnnnX" or "CHK--XXX" at the head of a line, followed by ": ".
bool codeOfLine(const std::string& line, std::string& code) {
  if (line.size() < 10 || line.compare(0, 3, "CHK") != 0 || line.compare(8, 2, ": ") != 0) {
    return false;
  }
  code = line.substr(0, 8);
  return true;
}

}  // namespace

bool classOfCode(const std::string& code, FindingClass& found) {
  // Code to class, made once from the catalog. A code of several rows (the
  // generic information code) has one class in all of them.
  static const std::map<std::string, FindingClass> classes = [] {
    std::map<std::string, FindingClass> table;
    for (std::size_t i = 0; i < MessageCatalogSize; ++i) {
      const char* text = MessageCatalog[i].text;
      if (std::strlen(text) >= 8)
        table.emplace(std::string(text, 8), classOfId(MessageCatalog[i].id));
    }
    return table;
  }();
  const auto it = classes.find(code);
  if (it == classes.end()) return false;
  found = it->second;
  return true;
}

int LogSummary::exitStatus() const {
  if (state != LogState::Complete) return 3;
  if (errors > 0) return 2;
  if (attention > 0) return 1;
  return 0;
}

void LogReader::feed(const char* bytes, std::size_t count) {
  const char* end = bytes + count;
  while (bytes < end) {
    const char* feedChar = static_cast<const char*>(std::memchr(bytes, '\n', end - bytes));
    const char* stop = feedChar ? feedChar : end;
    const std::size_t room = MaxLineLength - pending_.size();
    const std::size_t take = std::min<std::size_t>(room, stop - bytes);
    pending_.append(bytes, take);
    if (static_cast<std::size_t>(stop - bytes) > take) pendingTooLong_ = true;
    bytes = stop;
    if (feedChar) {
      ++bytes;
      line(std::move(pending_));
      pending_.clear();
      pendingTooLong_ = false;
    }
  }
}

LogSummary LogReader::finish() {
  if (!pending_.empty() || pendingTooLong_) line(std::move(pending_));
  if (!started_) {
    summary_ = LogSummary();
    summary_.state = LogState::NotALog;
    return summary_;
  }
  summary_.state = ended_ ? LogState::Complete : LogState::Incomplete;
  summary_.kind = sawUpdate_ ? "update" : sawVariables_ ? "variables" : sawScan_ ? "scan" : "check";
  return summary_;
}

void LogReader::line(std::string text) {
  ++lineNumber_;
  // A log written on Windows ends its lines with CR LF.
  if (!text.empty() && text.back() == '\r') text.pop_back();
  if (text.empty()) return;
  std::string code;
  const bool coded = codeOfLine(text, code);
  if (notALog_) return;
  if (!started_) {
    // A log opens with the checker's start line; a file whose first line
    // is anything else is no log, whatever follows.
    static const char head[] = "CHK0000I: Configuration check (";
    static const char middle[] = ") started on ";
    const std::size_t close = text.find(middle);
    if (text.compare(0, sizeof head - 1, head) != 0 || close == std::string::npos) {
      notALog_ = true;
      return;
    }
    started_ = true;
    summary_.level = text.substr(sizeof head - 1, close - (sizeof head - 1));
    summary_.started = text.substr(close + sizeof middle - 1);
  }
  if (!coded) return;
  FindingClass findingClass;
  if (!classOfCode(code, findingClass)) return;
  if (code == "CHK0999I") ended_ = true;
  if (code == "CHK0053I") sawUpdate_ = true;
  if (code == "CHK0100I") sawVariables_ = true;
  if (code == "CHK0066I") sawScan_ = true;
  const std::string body = text.substr(10);
  if (body.compare(0, 5, "===> ") == 0) {
    section_ = body.substr(5);
    if (!section_.empty() && section_.back() == '.') section_.pop_back();
  }
  switch (findingClass) {
    case FindingClass::Debug:
      return;
    case FindingClass::Information:
      ++summary_.information;
      return;
    case FindingClass::Attention:
      ++summary_.attention;
      break;
    case FindingClass::Error:
      ++summary_.errors;
      break;
  }
  if (listed_ == MaxFindings) {
    ++summary_.unlisted;
    return;
  }
  ++listed_;
  if (summary_.sections.empty() || summary_.sections.back().title != section_) {
    summary_.sections.push_back(Section{section_, {}});
  }
  summary_.sections.back().findings.push_back(
      Finding{code, findingClass, lineNumber_, std::move(text)});
}

LogSummary readLogFile(const std::string& path) {
  platform::File file;
  LogSummary unreadable;
  unreadable.state = LogState::Unreadable;
  if (!file.open(path, platform::File::Access::Read, platform::File::Kind::Binary)) {
    return unreadable;
  }
  LogReader reader;
  std::vector<char> buffer(64 * 1024);
  for (std::size_t got; (got = file.read(buffer.data(), buffer.size())) > 0;) {
    reader.feed(buffer.data(), got);
  }
  if (file.failed()) return unreadable;
  return reader.finish();
}
