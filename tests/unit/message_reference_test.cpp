// Keeps docs/messages.md in step with the checker: every catalog message that
// some routine under src/ emits has a heading there, every heading names a
// catalog code, and the text quoted under a heading is the catalog's text.
//
// The emitted messages are found by reading the sources: the msg:: names in
// the argument lists of report(...) and reportUnended(...) calls, with
// comments and literals blanked out first. The names are turned into codes
// through the constants of driver/message_catalog.h and the linked catalog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "driver/message_catalog.h"

namespace fs = std::filesystem;

namespace {

bool isIdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

/// The source with comments and string and character literals replaced by
/// blanks (line ends kept), so that a call in a comment or a name in a text
/// does not count and a parenthesis inside a literal does not end a call.
std::string withoutCommentsAndLiterals(const std::string& source) {
  std::string out = source;
  const std::size_t n = source.size();
  auto blank = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < n; ++i) {
      if (out[i] != '\n') out[i] = ' ';
    }
  };
  std::size_t i = 0;
  while (i < n) {
    const char c = source[i];
    const char next = i + 1 < n ? source[i + 1] : '\0';
    if (c == '/' && next == '/') {
      std::size_t end = source.find('\n', i);
      if (end == std::string::npos) end = n;
      blank(i, end);
      i = end;
    } else if (c == '/' && next == '*') {
      std::size_t end = source.find("*/", i + 2);
      end = end == std::string::npos ? n : end + 2;
      blank(i, end);
      i = end;
    } else if (c == '"' && i > 0 && source[i - 1] == 'R' &&
               (i < 2 || !isIdentifierChar(source[i - 2]))) {
      // Raw string: R"delimiter( ... )delimiter"
      const std::size_t open = source.find('(', i);
      if (open == std::string::npos) return out;
      const std::string close = ")" + source.substr(i + 1, open - i - 1) + "\"";
      std::size_t end = source.find(close, open);
      end = end == std::string::npos ? n : end + close.size();
      blank(i, end);
      i = end;
    } else if (c == '"' ||
               (c == '\'' && !(i > 0 && std::isdigit(static_cast<unsigned char>(source[i - 1]))))) {
      // A quote after a digit is a digit separator (1'000), not a literal.
      std::size_t j = i + 1;
      while (j < n && source[j] != c && source[j] != '\n') j += source[j] == '\\' ? 2 : 1;
      const std::size_t end = std::min(j + 1, n);
      blank(i, end);
      i = end;
    } else {
      ++i;
    }
  }
  return out;
}

struct NameUse {
  std::string name;  // after "msg::"
  int line;          // 1-based
};

/// The msg:: names used inside the argument lists of report(...) and
/// reportUnended(...) calls, in source order.
std::vector<NameUse> emittedNames(const std::string& source) {
  const std::string text = withoutCommentsAndLiterals(source);
  std::vector<NameUse> uses;
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    if (!isIdentifierChar(text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < n && isIdentifierChar(text[end])) ++end;
    const std::string word = text.substr(i, end - i);
    i = end;
    if (word != "report" && word != "reportUnended") continue;
    std::size_t open = end;
    while (open < n && std::isspace(static_cast<unsigned char>(text[open]))) ++open;
    if (open >= n || text[open] != '(') continue;
    int depth = 0;
    std::size_t close = open;
    for (; close < n; ++close) {
      if (text[close] == '(') ++depth;
      if (text[close] == ')' && --depth == 0) break;
    }
    const std::string arguments = text.substr(open, close - open);
    for (std::size_t at = arguments.find("msg::"); at != std::string::npos;
         at = arguments.find("msg::", at + 5)) {
      if (at > 0 && isIdentifierChar(arguments[at - 1])) continue;
      std::size_t nameEnd = at + 5;
      while (nameEnd < arguments.size() && isIdentifierChar(arguments[nameEnd])) ++nameEnd;
      const std::size_t position = open + at;
      const int line =
          1 + static_cast<int>(std::count(text.begin(), text.begin() + position, '\n'));
      uses.push_back({arguments.substr(at + 5, nameEnd - at - 5), line});
    }
    i = open + 1;
  }
  return uses;
}

/// The code at the head of a catalog text ("CHK0009A", "CHK--DBG").
std::string codeOf(const char* text) {
  return std::string(text).substr(0, 8);
}

bool readFile(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  text = content.str();
  return !in.bad();
}

constexpr const char* ClassPrefix = "- **Class:** ";

struct Heading {
  std::string code;
  int line;
  std::string quotedText;  // the first "> " line of its section, without "> "
  std::string classText;   // its "- **Class:** " line, without that prefix
};

/// What the test compares: the codes that the sources emit, with one place
/// each, and the headings of the reference.
struct Reference {
  std::map<std::string, std::string> emitted;  // code -> "src/...:line"
  std::vector<std::string> problems;           // unreadable names and the like
  std::vector<Heading> headings;
  std::string failure;  // why the files could not be read; empty when they could

  static const Reference& get() {
    static const Reference reference = load();
    return reference;
  }

 private:
  static Reference load() {
    Reference r;
    const fs::path root = ZORIVT_SOURCE_DIR;
    std::string header;
    if (!readFile(root / "src" / "driver" / "message_catalog.h", header)) {
      r.failure = "cannot read " + (root / "src/driver/message_catalog.h").string();
      return r;
    }
    std::map<std::string, MessageId> idsByName;
    const std::regex constant(R"(constexpr\s+MessageId\s+(\w+)\s*=\s*(\d+)\s*;)");
    for (std::sregex_iterator it(header.begin(), header.end(), constant), end; it != end; ++it) {
      idsByName[(*it)[1]] = static_cast<MessageId>(std::stoul((*it)[2]));
    }

    std::vector<fs::path> sources;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root / "src", error), end; !error && it != end;
         it.increment(error)) {
      const std::string extension = it->path().extension().string();
      if (extension == ".cpp" || extension == ".h" || extension == ".inc") {
        sources.push_back(it->path());
      }
    }
    if (error || sources.empty()) {
      r.failure = "cannot list " + (root / "src").string();
      return r;
    }
    std::sort(sources.begin(), sources.end());
    for (const fs::path& path : sources) {
      std::string source;
      if (!readFile(path, source)) {
        r.failure = "cannot read " + path.string();
        return r;
      }
      const std::string shown = fs::relative(path, root, error).generic_string();
      for (const NameUse& use : emittedNames(source)) {
        const std::string where = shown + ":" + std::to_string(use.line);
        auto id = idsByName.find(use.name);
        const char* text = id == idsByName.end() ? nullptr : lookupMessageText(id->second);
        if (text == nullptr) {
          r.problems.push_back(where + ": msg::" + use.name + " is not a catalog row");
          continue;
        }
        r.emitted.emplace(codeOf(text), where);
      }
    }

    std::string markdown;
    if (!readFile(root / "docs" / "messages.md", markdown)) {
      r.failure = "cannot read " + (root / "docs/messages.md").string();
      return r;
    }
    std::istringstream lines(markdown);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("### ", 0) == 0) {
        std::string code = line.substr(4);
        while (!code.empty() && code.back() == ' ') code.pop_back();
        r.headings.push_back({code, number, std::string(), std::string()});
      } else if (line.rfind("## ", 0) == 0 || line.rfind("# ", 0) == 0) {
        // A higher heading ends the section of the code before it.
        r.headings.push_back({std::string(), number, std::string(), std::string()});
      } else if (r.headings.empty()) {
        continue;
      } else if (line.rfind("> ", 0) == 0 && r.headings.back().quotedText.empty()) {
        r.headings.back().quotedText = line.substr(2);
      } else if (line.rfind(ClassPrefix, 0) == 0 && r.headings.back().classText.empty()) {
        r.headings.back().classText = line.substr(std::string(ClassPrefix).size());
      }
    }
    r.headings.erase(std::remove_if(r.headings.begin(), r.headings.end(),
                                    [](const Heading& h) { return h.code.empty(); }),
                     r.headings.end());
    return r;
  }
};

/// Skips in cross builds, whose test runner may not see the source tree;
/// anywhere else an unreadable tree is a failure.
#ifdef ZORIVT_SOURCE_TREE_OPTIONAL
#define REQUIRE_SOURCE_TREE(reference) \
  if (!(reference).failure.empty()) GTEST_SKIP() << (reference).failure
#else
#define REQUIRE_SOURCE_TREE(reference) ASSERT_EQ((reference).failure, "")
#endif

std::set<std::string> catalogCodes() {
  std::set<std::string> codes;
  for (std::size_t i = 0; i < MessageCatalogSize; ++i) codes.insert(codeOf(MessageCatalog[i].text));
  return codes;
}

/// A text with its placeholders marked: "%1" in a template, "*word*" in the
/// reference, each becomes "#"; backslash escapes are dropped and blank runs
/// become one blank, so that only the wording is compared.
std::string normalised(const std::string& text, bool isTemplate) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (isTemplate && c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      out += '#';
      ++i;
    } else if (!isTemplate && c == '*') {
      const std::size_t end = text.find('*', i + 1);
      if (end == std::string::npos) return out + "<unclosed *>";
      out += '#';
      i = end;
    } else if (!isTemplate && c == '\\' && i + 1 < text.size() &&
               std::ispunct(static_cast<unsigned char>(text[i + 1]))) {
      out += text[++i];
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

/// The class statement of a message, from its id: which console levels show
/// it and whether the log receives it.
std::string expectedClassText(MessageId id) {
  const std::string shownId = " (id " + std::to_string(id) + "): ";
  if (id == 26001)
    return "debug" + shownId + "on the console and in the log only with `-d` (not under `-u`).";
  if (id < 26300)
    return "information" + shownId + "on the console only with `-i` or `-d`; always in the log.";
  if (id < 26600) {
    return "attention" + shownId +
           "on the console at the default level, with `-i` and with `-d`, not with `-e` or `-u`; "
           "always in the log.";
  }
  if (id < 26900)
    return "error" + shownId + "on the console at every level except `-u`; always in the log.";
  if (id <= 26999) {
    return "always shown" + shownId +
           "on the console at every level except `-u`; always in the log.";
  }
  return "always shown" + shownId +
         "on the console at every level, `-u` included; always in the log.";
}

}  // namespace

TEST(MessageSourceScan, FindsNamesOfMultiLineCallsAndOfBothBranchesOfAChoice) {
  const std::string source =
      "void f() {\n"
      "  report(log, msg::CHK0013I, \"ZOR_TP_AUTO_RECONN\",\n"
      "         value);\n"
      "  report(log, empty ? msg::CHK0050I : msg::CHK0051I, name);\n"
      "  reportUnended (log, msg::CHK0066I, path);\n"
      "}\n";
  std::vector<NameUse> uses = emittedNames(source);
  ASSERT_EQ(uses.size(), 4u);
  EXPECT_EQ(uses[0].name, "CHK0013I");
  EXPECT_EQ(uses[0].line, 2);
  EXPECT_EQ(uses[1].name, "CHK0050I");
  EXPECT_EQ(uses[2].name, "CHK0051I");
  EXPECT_EQ(uses[2].line, 4);
  EXPECT_EQ(uses[3].name, "CHK0066I");
}

TEST(MessageSourceScan, IgnoresCommentsLiteralsAndOtherFunctions) {
  const std::string source =
      "// report(log, msg::CHK0003R);\n"
      "/* report(log, msg::CHK0014A); */\n"
      "const char* t = \"report(log, msg::CHK0015I)\";\n"
      "reporter(log, msg::CHK0016I);\n"
      "myreport(log, msg::CHK0057R);\n"
      "MessageId id = msg::CHK0059R;\n"
      "report(log, xmsg::CHK0060I);\n"
      "int big = 1'000; char q = '(';\n"
      "report(log, msg::CHK_DBG, \"a) b\", R\"x(c) \" d)x\", ')');\n"
      "report(log, msg::CHK0001I);\n";
  std::vector<NameUse> uses = emittedNames(source);
  ASSERT_EQ(uses.size(), 2u);
  EXPECT_EQ(uses[0].name, "CHK_DBG");
  EXPECT_EQ(uses[0].line, 9);
  EXPECT_EQ(uses[1].name, "CHK0001I");
  EXPECT_EQ(uses[1].line, 10);
}

TEST(MessageSourceScan, ReferenceTextComparisonSeesWordingNotMarkup) {
  EXPECT_EQ(normalised("CHK0009A: The %1 directory %2 does not exist.", true),
            normalised("CHK0009A: The *kind* directory *path* does not exist.", false));
  EXPECT_EQ(normalised("CHK0052I: ===> %1 (%2) not installed.\n", true),
            normalised("CHK0052I: ===> *component* (*executable*) not installed.", false));
  EXPECT_EQ(normalised("CHK0078I:   %1: %2", true), normalised("CHK0078I: *name*: *value*", false));
  EXPECT_NE(normalised("CHK0009A: The %1 directory %2 does not exist.", true),
            normalised("CHK0009A: The *kind* folder *path* does not exist.", false));
  EXPECT_NE(normalised("CHK0001I: Performing Corvanta V%1.%2 checks.", true),
            normalised("CHK0001I: Performing Corvanta V*version* checks.", false));
}

TEST(MessageReference, TheSourcesEmitMessagesThroughReport) {
  const Reference& reference = Reference::get();
  REQUIRE_SOURCE_TREE(reference);
  for (const std::string& problem : reference.problems) ADD_FAILURE() << problem;
  // Every run writes its start and closing lines; a scan that misses them
  // has stopped seeing the calls.
  EXPECT_EQ(reference.emitted.count("CHK0000I"), 1u);
  EXPECT_EQ(reference.emitted.count("CHK0999I"), 1u);
  EXPECT_GT(reference.emitted.size(), 20u);
}

TEST(MessageReference, EveryEmittedMessageHasAHeading) {
  const Reference& reference = Reference::get();
  REQUIRE_SOURCE_TREE(reference);
  std::set<std::string> documented;
  for (const Heading& heading : reference.headings) documented.insert(heading.code);
  for (const auto& [code, where] : reference.emitted) {
    EXPECT_EQ(documented.count(code), 1u)
        << code << " (emitted at " << where << ") has no heading \"### " << code
        << "\" in docs/messages.md";
  }
}

TEST(MessageReference, EveryHeadingNamesACatalogCode) {
  const Reference& reference = Reference::get();
  REQUIRE_SOURCE_TREE(reference);
  const std::set<std::string> codes = catalogCodes();
  for (const Heading& heading : reference.headings) {
    EXPECT_EQ(codes.count(heading.code), 1u)
        << "docs/messages.md:" << heading.line << ": heading \"" << heading.code
        << "\" is not the code of a catalog message";
  }
}

TEST(MessageReference, HeadingsAreUniqueAndInCodeOrder) {
  const Reference& reference = Reference::get();
  REQUIRE_SOURCE_TREE(reference);
  ASSERT_FALSE(reference.headings.empty());
  for (std::size_t i = 1; i < reference.headings.size(); ++i) {
    const Heading& before = reference.headings[i - 1];
    const Heading& heading = reference.headings[i];
    EXPECT_LT(before.code, heading.code)
        << "docs/messages.md:" << heading.line << ": " << heading.code << " comes after "
        << before.code << " (line " << before.line << ")";
  }
}

TEST(MessageReference, QuotesTheCatalogTextUnderEachHeading) {
  const Reference& reference = Reference::get();
  REQUIRE_SOURCE_TREE(reference);
  std::map<std::string, std::vector<std::string>> templates;
  for (std::size_t i = 0; i < MessageCatalogSize; ++i) {
    templates[codeOf(MessageCatalog[i].text)].push_back(MessageCatalog[i].text);
  }
  for (const Heading& heading : reference.headings) {
    auto rows = templates.find(heading.code);
    if (rows == templates.end()) continue;  // reported by EveryHeadingNamesACatalogCode
    const std::string quoted = normalised(heading.quotedText, false);
    bool matches = false;
    for (const std::string& text : rows->second)
      matches = matches || normalised(text, true) == quoted;
    EXPECT_TRUE(matches) << "docs/messages.md:" << heading.line << ": the text under "
                         << heading.code << " is \"> " << heading.quotedText
                         << "\"; the catalog has \"" << rows->second.front() << "\"";
  }
}

TEST(MessageReference, DescribesOnlyMessagesTheCheckerWrites) {
  const Reference& reference = Reference::get();
  REQUIRE_SOURCE_TREE(reference);
  for (const Heading& heading : reference.headings) {
    EXPECT_EQ(reference.emitted.count(heading.code), 1u)
        << "docs/messages.md:" << heading.line << ": " << heading.code
        << " is described, but no routine under src/ emits it; list it as reserved";
  }
}

TEST(MessageReference, StatesTheClassThatTheIdGives) {
  const Reference& reference = Reference::get();
  REQUIRE_SOURCE_TREE(reference);
  for (const Heading& heading : reference.headings) {
    std::vector<MessageId> ids;
    for (std::size_t i = 0; i < MessageCatalogSize; ++i) {
      if (codeOf(MessageCatalog[i].text) == heading.code) ids.push_back(MessageCatalog[i].id);
    }
    if (ids.size() != 1) continue;  // unknown codes are reported elsewhere
    EXPECT_EQ(heading.classText, expectedClassText(ids.front()))
        << "docs/messages.md:" << heading.line << ": class of " << heading.code;
  }
}
