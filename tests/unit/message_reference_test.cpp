// Keeps docs/messages.md in step with the checker: every message that some
// routine under src/ emits has a heading there, every heading names such a
// message, and the text quoted under it has the catalog's wording.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "driver/message_catalog.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

/// The codes named as msg::NAME in the sources (every such use emits the
/// message); the generic rows' names CHK_DBG and the like stand for CHK--DBG.
std::set<std::string> emittedCodes(const fs::path& sources) {
  std::set<std::string> codes;
  const std::regex name(R"(msg::CHK(_[A-Z]{3}|[0-9]{4}[IARW]))");
  for (const auto& entry : fs::recursive_directory_iterator(sources)) {
    if (entry.path().extension() != ".cpp") continue;
    const std::string source = readText(entry.path());
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

}  // namespace

TEST(MessageReference, DescribesExactlyTheEmittedMessagesInTheirWording) {
  const fs::path root = ZORIVT_SOURCE_DIR;
  if (!fs::exists(root / "docs" / "messages.md")) {
#ifdef ZORIVT_SOURCE_TREE_OPTIONAL
    GTEST_SKIP() << "the source tree is not readable from here";
#endif
  }
  const std::set<std::string> emitted = emittedCodes(root / "src");
  const std::map<std::string, std::string> entries =
      referenceEntries(readText(root / "docs" / "messages.md"));
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
