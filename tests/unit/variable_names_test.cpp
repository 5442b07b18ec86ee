#include "config/variable_names.h"

#include <gtest/gtest.h>

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
