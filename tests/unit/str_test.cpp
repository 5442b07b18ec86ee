#include "driver/str.h"

#include <gtest/gtest.h>

#include <random>

TEST(Str, MidTrimCaseAndNul) {
  Str abc("abc");
  EXPECT_EQ(abc.mid(1, 0), Str("abc"));  // from 1, 0 for the rest
  EXPECT_EQ(abc.mid(3, 1), Str("c"));
  EXPECT_EQ(abc.mid(2, 5), Str("bc"));
  EXPECT_EQ(abc.mid(4, 0), Str(""));
  EXPECT_EQ(abc.mid(0, 1), Str(""));
  EXPECT_EQ(Str("   ").trim(), Str(""));
  EXPECT_EQ(Str(" \t\r\n\v\fa b\r\n").trim(), Str("a b"));
  EXPECT_EQ(Str("AbZ\xC4_9").toLower(), Str("abz\xC4_9"));  // ASCII letters only
  EXPECT_EQ(Str("abz\xE4_9").toUpper(), Str("ABZ\xE4_9"));
  EXPECT_EQ(Str("@[`{AZaz").toLower(), Str("@[`{azaz"));  // the letters' neighbours stay
  EXPECT_EQ(Str("@[`{AZaz").toUpper(), Str("@[`{AZAZ"));
  EXPECT_TRUE(equalsIgnoringCase("QuorLink", "qUORlINK"));
  EXPECT_FALSE(equalsIgnoringCase("\xC4", "\xE4"));
  EXPECT_FALSE(equalsIgnoringCase("ab", "abc"));
  EXPECT_TRUE(Str(static_cast<const char*>(nullptr)).empty());
  EXPECT_EQ(Str("ab\0cd", 5), Str("ab"));
}

TEST(Str, JoinWithPutsExactlyOneSeparatorBetweenNonEmptyParts) {
  EXPECT_EQ(Str::joinWith("c:\\dir\\", "\\x", '\\'), Str("c:\\dir\\x"));
  EXPECT_EQ(Str::joinWith("", "\\x", '\\'), Str("x"));
  EXPECT_EQ(Str::joinWith("a", "", ';'), Str("a"));
  EXPECT_EQ(Str::joinWith("A", "B", ';'), Str("A;B"));  // no change of case
}

// Trimming, empty and blank pieces are skipped; without trimming blanks stay.
// A finished tokenizer gives empty tokens and can be refilled.
TEST(Tokenizer, GivesThePiecesBetweenSeparators) {
  Tokenizer trimmed(";a;;b ; ;", ';', true);
  EXPECT_EQ(trimmed.nextToken(), Str("a"));
  EXPECT_EQ(trimmed.nextToken(), Str("b"));
  EXPECT_EQ(trimmed.nextToken(), Str(""));
  EXPECT_EQ(trimmed.nextToken(), Str(""));

  Tokenizer t(',', false);
  EXPECT_EQ(t.nextToken(), Str(""));
  t.setRemaining(" a ,b,");
  EXPECT_EQ(t.nextToken(), Str(" a "));
  EXPECT_EQ(t.remaining(), Str("b,"));
  EXPECT_EQ(t.nextToken(), Str("b"));
  EXPECT_TRUE(t.remaining().empty());
  t.setRemaining("c");
  EXPECT_EQ(t.nextToken(), Str("c"));
  EXPECT_TRUE(t.remaining().empty());
}

// The matcher must accept exactly what the recursive definition accepts:
// at a run wildcard, try the rest at every later text position.
namespace {
bool referenceMatch(const char* t, const char* q) {
  if (*q == '\0') return *t == '\0';
  if (*q == '*') {
    for (const char* s = t;; ++s) {
      if (referenceMatch(s, q + 1)) return true;
      if (*s == '\0') return false;
    }
  }
  if (*t == '\0') return false;
  if (*q != '?' && *q != *t) return false;
  return referenceMatch(t + 1, q + 1);
}
}  // namespace

TEST(MatchWildcard, AgreesWithTheRecursiveDefinition) {
  std::mt19937 random(7);
  const char alphabet[] = "ab*?";
  for (int round = 0; round < 20000; ++round) {
    std::string text, pattern;
    int tl = random() % 7, pl = random() % 7;
    for (int i = 0; i < tl; ++i) text += alphabet[random() % 2];
    for (int i = 0; i < pl; ++i) pattern += alphabet[random() % 4];
    ASSERT_EQ(matchWildcard(text.c_str(), pattern.c_str()),
              referenceMatch(text.c_str(), pattern.c_str()))
        << "text '" << text << "' pattern '" << pattern << "'";
  }
  EXPECT_FALSE(matchWildcard("ZOR.EXE", "zor*.exe"));  // letter case counts
  EXPECT_FALSE(matchWildcard(nullptr, "*"));
}

TEST(MatchWildcard, ManyRunWildcardsStayFast) {
  std::string text(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 200; ++i) pattern += "*a";
  pattern += "b";
  EXPECT_FALSE(matchWildcard(text.c_str(), pattern.c_str()));
}
