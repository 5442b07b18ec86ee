#include "report/reference.h"

#include <sstream>

#include "driver/str.h"

const ReferenceEntry* findReferenceEntry(const std::string& code) {
  const std::string wanted = Str(code.c_str()).uppered().c_str();
  for (std::size_t i = 0; i < ReferenceEntryCount; ++i) {
    if (wanted == ReferenceEntries[i].code) return &ReferenceEntries[i];
  }
  return nullptr;
}

std::string plainText(const std::string& markdown) {
  std::string out;
  std::istringstream lines(markdown);
  bool first = true;
  for (std::string line; std::getline(lines, line);) {
    if (!first) out += '\n';
    first = false;
    if (line.compare(0, 2, "> ") == 0) line.erase(0, 2);
    // Outside code quotes every "*" is bold or italics; inside them it is
    // text (a file mask such as zor*.exe).
    bool code = false;
    for (const char c : line) {
      if (c == '`') {
        code = !code;
      } else if (c != '*' || code) {
        out += c;
      }
    }
  }
  return out;
}

std::string whatToDo(const ReferenceEntry& entry) {
  static const std::string label = "- **What to do:**";
  const std::string text = entry.text;
  std::size_t at = text.find("\n" + label);
  if (at == std::string::npos) return {};
  at += 1 + label.size();
  // The item runs to the next item of the entry's list (a line that starts
  // with "- **") or to the end of the entry.
  std::size_t end = text.find("\n- **", at);
  if (end == std::string::npos) end = text.size();
  // Lines of one paragraph are joined; a list item ("- "), a table row
  // ("|") and the line after an empty one start a new paragraph.
  std::istringstream lines(text.substr(at, end - at));
  std::string item;
  bool paragraphEnds = true;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t from = line.find_first_not_of(' ');
    if (from == std::string::npos) {
      paragraphEnds = true;
      continue;
    }
    line.erase(0, from);
    const bool starts = paragraphEnds || line[0] == '|' || line.compare(0, 2, "- ") == 0;
    if (!item.empty()) item += starts ? '\n' : ' ';
    item += line;
    paragraphEnds = line[0] == '|';
  }
  while (!item.empty() && (item.back() == '\n' || item.back() == ' ')) item.pop_back();
  return plainText(item);
}
