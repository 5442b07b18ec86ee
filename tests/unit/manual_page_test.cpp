// Keeps the manual page docs/zorivt.1 in step with the program: an entry for
// every option of the usage text, the version of the build, the sections of
// a complete manual, and message codes that exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/main_flow.h"
#include "driver/message_catalog.h"

namespace {

struct ManualPage {
  std::vector<std::string> lines;
  bool read = false;

  static const ManualPage& get() {
    static const ManualPage page = load();
    return page;
  }

 private:
  static ManualPage load() {
    ManualPage page;
    std::ifstream in(std::string(ZORIVT_SOURCE_DIR) + "/docs/zorivt.1");
    std::string line;
    while (std::getline(in, line)) page.lines.push_back(line);
    page.read = !page.lines.empty();
    return page;
  }
};

#ifdef ZORIVT_SOURCE_TREE_OPTIONAL
#define REQUIRE_MANUAL_PAGE(page) \
  if (!(page).read) GTEST_SKIP() << "docs/zorivt.1 is not readable here"
#else
#define REQUIRE_MANUAL_PAGE(page) ASSERT_TRUE((page).read) << "cannot read docs/zorivt.1"
#endif

/// The option words of the usage text: "-21", "-f", "-u", ...
std::vector<std::string> usageOptions() {
  std::vector<std::string> options;
  std::istringstream usage(usageText("zorivt"));
  std::string line;
  while (std::getline(usage, line)) {
    if (line.rfind("       -", 0) != 0) continue;
    std::istringstream words(line);
    std::string option;
    words >> option;
    options.push_back(option);
  }
  return options;
}

/// A text as roff writes it: every "-" as "\-".
std::string roffDashes(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

/// Whether `word` occurs in `line` without a letter or digit right after it
/// ("\-2" is not in "\-21").
bool hasWord(const std::string& line, const std::string& word) {
  for (std::size_t at = line.find(word); at != std::string::npos; at = line.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if (end == line.size() || !std::isalnum(static_cast<unsigned char>(line[end]))) return true;
  }
  return false;
}

}  // namespace

TEST(ManualPage, HasAnEntryForEveryOptionOfTheUsageText) {
  const ManualPage& page = ManualPage::get();
  REQUIRE_MANUAL_PAGE(page);
  const std::vector<std::string> options = usageOptions();
  ASSERT_EQ(options.size(), 11u) << usageText("zorivt");
  // The tag line of an entry is the line after ".TP".
  std::vector<std::string> tags;
  for (std::size_t i = 0; i + 1 < page.lines.size(); ++i) {
    if (page.lines[i] == ".TP") tags.push_back(page.lines[i + 1]);
  }
  for (const std::string& option : options) {
    bool found = false;
    for (const std::string& tag : tags) found = found || hasWord(tag, roffDashes(option));
    EXPECT_TRUE(found) << "docs/zorivt.1 has no .TP entry for " << option;
  }
}

TEST(ManualPage, NamesTheVersionOfTheBuild) {
  const ManualPage& page = ManualPage::get();
  REQUIRE_MANUAL_PAGE(page);
  bool found = false;
  for (const std::string& line : page.lines) {
    if (line.rfind(".TH ", 0) == 0) {
      found = true;
      EXPECT_NE(line.find("\"zorivt " ZORIVT_VERSION "\""), std::string::npos)
          << line << "\n(the build is version " ZORIVT_VERSION ")";
    }
  }
  EXPECT_TRUE(found) << "docs/zorivt.1 has no .TH line";
}

TEST(ManualPage, HasTheSectionsOfACompleteManual) {
  const ManualPage& page = ManualPage::get();
  REQUIRE_MANUAL_PAGE(page);
  std::vector<std::string> sections;
  for (const std::string& line : page.lines) {
    if (line.rfind(".SH ", 0) != 0) continue;
    std::string name = line.substr(4);
    name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
    sections.push_back(name);
  }
  const std::vector<std::string> expected = {"NAME",        "SYNOPSIS",    "DESCRIPTION",
                                             "OPTIONS",     "EXIT STATUS", "FILES",
                                             "ENVIRONMENT", "EXAMPLES",    "SEE ALSO"};
  EXPECT_EQ(sections, expected);
}

TEST(ManualPage, MentionsOnlyMessageCodesOfTheCatalog) {
  const ManualPage& page = ManualPage::get();
  REQUIRE_MANUAL_PAGE(page);
  std::set<std::string> codes;
  for (std::size_t i = 0; i < MessageCatalogSize; ++i) {
    codes.insert(std::string(MessageCatalog[i].text).substr(0, 8));
  }
  const std::regex code(R"(CHK[0-9]{4}[A-Z])");
  for (std::size_t i = 0; i < page.lines.size(); ++i) {
    const std::string& line = page.lines[i];
    for (std::sregex_iterator it(line.begin(), line.end(), code), end; it != end; ++it) {
      EXPECT_EQ(codes.count(it->str()), 1u)
          << "docs/zorivt.1:" << i + 1 << ": " << it->str() << " is not a catalog code";
    }
  }
}
