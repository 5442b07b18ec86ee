#include "driver/time_text.h"

#include <gtest/gtest.h>

// Noon UTC of 5 June 2024 is the 5th wherever the clock is; the day is
// padded with a blank on every platform, also where the C runtime's own
// ctime would write "05".
TEST(TimeText, DayIsPaddedWithABlankAsInTheCStandard) {
  const std::string text = ctimeText(1717588800);
  ASSERT_EQ(text.size(), 24u) << text;
  EXPECT_EQ(text.substr(0, 11), "Wed Jun  5 ");
  EXPECT_EQ(text.substr(19), " 2024");
  EXPECT_EQ(text[13], ':');
  EXPECT_EQ(text[16], ':');
}
