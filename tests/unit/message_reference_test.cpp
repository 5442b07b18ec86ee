// Keeps docs/messages.md in step with the checker: every message that some
// routine under src/ emits has a heading there, every heading names such a
// message, and the text quoted under it has the catalog's wording; the
// class of every code, in its entry and in the table of codes, is the
// catalog's. Also keeps the documents plain ASCII and quoting the level and
// the package version that the build sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "driver/main_flow.h"
#include "driver/message_catalog.h"
#include "machine_directory.h"
#include "report/reference.h"

namespace fs = std::filesystem;

namespace {

using test_support::readFile;

/// The codes named as msg::NAME in the sources (every such use emits the
/// message); the generic rows' names CHK_DBG and the like stand for CHK--DBG.
std::set<std::string> emittedCodes(const fs::path& sources) {
  std::set<std::string> codes;
  const std::regex name(R"(msg::CHK(_[A-Z]{3}|[0-9]{4}[IARW]))");
  for (const auto& entry : fs::recursive_directory_iterator(sources)) {
    if (entry.path().extension() != ".cpp") continue;
    const std::string source = readFile(entry.path());
    for (std::sregex_iterator it(source.begin(), source.end(), name), end; it != end; ++it) {
      std::string code = "CHK" + (*it)[1].str();
      if (code[3] == '_') code.replace(3, 1, "--");
      codes.insert(code);
    }
  }
  return codes;
}

/// The quoted text under each "### CODE" heading of the reference.
std::map<std::string, std::string> referenceEntries(const std::string& reference) {
  std::map<std::string, std::string> entries;
  const std::regex entry(R"(### (CHK(?:--[A-Z]{3}|[0-9]{4}[A-Z]))\s*\n\s*\n> ([^\n]*))");
  for (std::sregex_iterator it(reference.begin(), reference.end(), entry), end; it != end; ++it) {
    entries[(*it)[1]] = (*it)[2];
  }
  return entries;
}

/// Whether the parts of the template between its placeholders appear in
/// the quoted text in order (the reference names the placeholders; runs of
/// blanks count as one, as in the rendered reference).
bool sameWording(const std::string& catalogText, const std::string& quotedText) {
  const std::regex blanks(" +");
  const std::string quoted = std::regex_replace(quotedText, blanks, " ");
  std::size_t from = 0;
  std::istringstream pieces(std::regex_replace(
      std::regex_replace(catalogText, std::regex("%[1-9]|\n$"), "\n"), blanks, " "));
  for (std::string piece; std::getline(pieces, piece);) {
    const std::size_t at = quoted.find(piece, from);
    if (at == std::string::npos) return false;
    from = at + piece.size();
  }
  return true;
}

/// The class of a catalog id as the reference names it.
std::string classOfId(MessageId id) {
  if (id == msg::CHK_DBG) return "debug";
  if (id < FirstAttentionId) return "information";
  if (id < FirstErrorId) return "attention";
  if (id < FirstAlwaysShownId) return "error";
  return "always shown";
}

/// The source tree; a cross-built runner may not see it, and then skips.
#ifdef ZORIVT_SOURCE_TREE_OPTIONAL
#define SOURCE_TREE(root)                         \
  const fs::path root = ZORIVT_SOURCE_DIR;        \
  if (!fs::exists(root / "docs" / "messages.md")) \
  GTEST_SKIP() << "the source tree is not readable from here"
#else
#define SOURCE_TREE(root)                  \
  const fs::path root = ZORIVT_SOURCE_DIR; \
  ASSERT_TRUE(fs::exists(root / "docs" / "messages.md")) << root
#endif

}  // namespace

TEST(MessageReference, DescribesExactlyTheEmittedMessagesInTheirWording) {
  SOURCE_TREE(root);
  const std::set<std::string> emitted = emittedCodes(root / "src");
  const std::map<std::string, std::string> entries =
      referenceEntries(readFile(root / "docs" / "messages.md"));
  ASSERT_GT(emitted.size(), 90u) << "the sources were not read";

  std::map<std::string, std::string> catalog;
  for (std::size_t i = 0; i < MessageCatalogSize; ++i) {
    const std::string text = MessageCatalog[i].text;
    catalog.emplace(text.substr(0, 8), text);
  }
  for (const std::string& code : emitted) {
    EXPECT_TRUE(entries.count(code)) << code << " is emitted but has no entry in docs/messages.md";
  }
  for (const auto& [code, quoted] : entries) {
    EXPECT_TRUE(emitted.count(code)) << code << " has an entry but nothing emits it";
    ASSERT_TRUE(catalog.count(code)) << code << " is not a catalog code";
    if (code.compare(3, 2, "--") != 0) {
      EXPECT_TRUE(sameWording(catalog[code], quoted))
          << code << ": '" << quoted << "' is not the catalog's '" << catalog[code] << "'";
    }
  }
}

TEST(MessageReference, GivesEachCodeTheCatalogsClassInItsEntryAndInTheTable) {
  SOURCE_TREE(root);
  const std::string reference = readFile(root / "docs" / "messages.md");
  // Class and ids per code from the catalog: "error (id 26620)".
  std::map<std::string, std::set<std::string>> classes, ids;
  for (std::size_t i = 0; i < MessageCatalogSize; ++i) {
    const std::string code = std::string(MessageCatalog[i].text).substr(0, 8);
    classes[code].insert(classOfId(MessageCatalog[i].id));
    ids[code].insert(std::to_string(MessageCatalog[i].id));
  }
  const std::regex classLine(
      R"(### (CHK\S+)\s*\n\s*\n> [^\n]*\n\s*\n- \*\*Class:\*\* ([a-z ]+) \(id ([0-9]+)\))");
  std::size_t entries = 0;
  for (std::sregex_iterator it(reference.begin(), reference.end(), classLine), end; it != end;
       ++it) {
    ++entries;
    const std::string code = (*it)[1];
    EXPECT_TRUE(classes[code].count((*it)[2]))
        << code << " is not " << (*it)[2] << " in the catalog";
    EXPECT_TRUE(ids[code].count((*it)[3]))
        << code << " has no id " << (*it)[3] << " in the catalog";
  }
  const std::regex tableRow(R"(\n\| `(CHK\S+)` \| ([a-z ]+) \| ([0-9, ]+) \|)");
  std::set<std::string> tabled;
  for (std::sregex_iterator it(reference.begin(), reference.end(), tableRow), end; it != end;
       ++it) {
    const std::string code = (*it)[1];
    tabled.insert(code);
    std::string listed;
    for (const std::string& id : ids[code]) listed += (listed.empty() ? "" : ", ") + id;
    EXPECT_TRUE(classes[code].count((*it)[2]))
        << code << " is not " << (*it)[2] << " in the catalog";
    EXPECT_EQ((*it)[3].str(), listed) << code;
  }
  // Every entry is in the table and generated into zorivt-report.
  EXPECT_EQ(tabled.size(), entries);
  EXPECT_EQ(ReferenceEntryCount, entries);
  for (std::size_t i = 0; i < ReferenceEntryCount; ++i) {
    EXPECT_TRUE(tabled.count(ReferenceEntries[i].code)) << ReferenceEntries[i].code;
    EXPECT_FALSE(whatToDo(ReferenceEntries[i]).empty())
        << ReferenceEntries[i].code << ": no what to do";
  }
  // Code quotes keep their text, file masks included.
  EXPECT_EQ(plainText("> **Class:** `zor*.exe` and *path*"), "Class: zor*.exe and path");
}

TEST(MessageReference, DocumentsArePlainAsciiAndNameTheBuildsLevelAndVersion) {
  SOURCE_TREE(root);
  // A level such as V2R3.4.2, and the package version in "zorivt 2.3.4",
  // "zorivt (2.3.4)", "zorivt_2.3.4_amd64.deb" or "zorivt-2.3.4-win32.zip".
  const std::regex quoted(
      R"(V[0-9]+R[0-9]+\.[0-9]+\.[0-9]+|zorivt[ _(-]+([0-9]+\.[0-9]+\.[0-9]+))");
  std::size_t quotes = 0;
  for (const char* name :
       {"README.md", "LICENSE", "docs/messages.md", "docs/zorivt.1", "docs/zorivt-report.1",
        "docs/zorivt-collect.1", "docs/emulated-machine.md", "docs/README.txt", "docs/changelog"}) {
    const std::string text = readFile(root / name);
    EXPECT_FALSE(text.empty()) << name;
    for (std::size_t i = 0, line = 1; i < text.size(); ++i) {
      if (text[i] == '\n') ++line;
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (c >= 0x80 || (c < 0x20 && c != '\n')) {
        ADD_FAILURE() << name << ":" << line << " holds the byte " << int(c);
        break;
      }
    }
    for (std::sregex_iterator it(text.begin(), text.end(), quoted), end; it != end;
         ++it, ++quotes) {
      if ((*it)[1].matched) {
        EXPECT_EQ((*it)[1].str(), ZORIVT_PACKAGE_VERSION) << name << ": " << it->str();
      } else {
        EXPECT_EQ(it->str(), CheckerLevel) << name;
      }
    }
  }
  EXPECT_GE(quotes, 8u) << "the documents no longer quote the level and the version";
}
