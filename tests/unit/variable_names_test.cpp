#include "config/variable_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_machine.h"

// An empty side costs one insertion or deletion per character of the other;
// each weight prices its own operation, and the cheapest way wins.
TEST(WeightedDistance, WeightsPriceTheirOperations) {
  EXPECT_EQ(wld("", "abc", 1, 2, 3), 6);
  EXPECT_EQ(wld("ab", "", 1, 2, 3), 6);
  EXPECT_EQ(wld("ZOR_LANG", "ZOR_LNG", 1, 1, 4), 4);
  EXPECT_EQ(wld("ZOR_LNG", "ZOR_LANG", 1, 3, 1), 3);
  EXPECT_EQ(wld("abc", "abd", 5, 1, 1), 2);  // delete and insert beat a costly substitution
  EXPECT_EQ(wld("kitten", "sitting", 1, 1, 1), 3);
}

// The spelling check suggests the first table name at the least unit-cost
// distance and says that distance; it must agree with the plain weighted
// distance for keys of every length, the long ones included, and keep quiet
// for the known names themselves.
TEST(SpellingCheck, SuggestsWhatThePlainDistanceChooses) {
  for (std::size_t row = 0; row < KnownVariableCount; ++row) {
    ASSERT_LE(std::strlen(KnownVariableTable[row]), 32u) << KnownVariableTable[row];
  }
  std::mt19937 random(3);
  const std::string alphabet = "ZOR_TRACEFILPSNDzorx-9";
  std::vector<std::string> keys = {"ZOR_LANG", "ZOR_VERSION_CHECK", "ZOR_TRACEFILE", "x"};
  for (int i = 0; i < 300; ++i) {
    std::string key(1 + random() % (i < 290 ? 40 : 3000), ' ');
    for (char& c : key) c = alphabet[random() % alphabet.size()];
    if (i % 4 == 0) {
      key.replace(0, std::min<std::size_t>(key.size(), 8),
                  KnownVariableTable[i % KnownVariableCount]);
    }
    keys.push_back(key);
  }
  std::vector<std::string> expected;
  for (const std::string& key : keys) {
    std::size_t chosen = 0;
    std::int32_t best = wld(KnownVariableTable[0], key, 1, 1, 1);
    for (std::size_t row = 1; row < KnownVariableCount; ++row) {
      const std::int32_t d = wld(KnownVariableTable[row], key, 1, 1, 1);
      if (d < best) {
        best = d;
        chosen = row;
      }
    }
    if (best == 0) continue;
    expected.push_back("CHK--DBG: wld(" + key + ", " + KnownVariableTable[chosen] +
                       ") = " + std::to_string(best));
  }
  ReportLog::Text text;
  {
    ReportLog log(text, ThresholdDebug);
    for (const std::string& key : keys) checkVariableName(log, key);
  }
  std::vector<std::string> debugLines;
  for (const std::string& line : test_support::splitLines(text.file)) {
    if (line.rfind("CHK--DBG: wld(", 0) == 0) debugLines.push_back(line);
  }
  EXPECT_EQ(debugLines, expected);
}
