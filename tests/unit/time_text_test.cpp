#include "driver/time_text.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

// Noon UTC is the same day wherever the clock is. The day is padded with a
// blank on every platform, also where the C runtime's own ctime would write
// "05"; dates past 2038 (a 32-bit time_t's end) and past 2106 (an unsigned
// 32-bit count's end), a leap day among them, come out as they are.
TEST(TimeText, CtimeLayoutOnEveryDateAfterTheThirtyTwoBitEnds) {
  const struct {
    std::int64_t when;
    const char* date;
    const char* year;
  } cases[] = {{1717588800, "Wed Jun  5 ", " 2024"},
               {2214129600, "Wed Feb 29 ", " 2040"},
               {4294987200, "Sun Feb  7 ", " 2106"}};
  for (const auto& c : cases) {
    const std::string text = ctimeText(c.when);
    ASSERT_EQ(text.size(), 24u) << text;
    EXPECT_EQ(text.substr(0, 11), c.date) << text;
    EXPECT_EQ(text.substr(19), c.year) << text;
    EXPECT_EQ(text[13], ':');
    EXPECT_EQ(text[16], ':');
  }
}

// The start line's text follows the platform's C runtime: a zero before a
// one-digit day on Windows, a blank elsewhere; everything else is the same.
TEST(TimeText, RuntimeLayoutDiffersOnlyInTheDayPadding) {
  const std::string runtime = runtimeCtimeText(2214129600 - 24 * 86400);  // 5 Feb 2040
  const std::string standard = ctimeText(2214129600 - 24 * 86400);
  ASSERT_EQ(runtime.size(), 24u) << runtime;
  EXPECT_EQ(runtime.substr(8, 2), platform::ctimePadsDayWithZero() ? "05" : " 5");
  EXPECT_EQ(runtime.substr(0, 8) + runtime.substr(10), standard.substr(0, 8) + standard.substr(10));
}

// The clock itself counts 64-bit seconds since 1970: today is well past
// 2024 and its calendar time converts.
TEST(TimeText, TheClockGivesTheCurrentDate) {
  const std::int64_t now = platform::currentTime();
  EXPECT_GT(now, 1717588800);
  platform::CalendarTime calendar;
  ASSERT_TRUE(platform::localCalendarTime(now, calendar));
  EXPECT_GE(calendar.year, 2024);
}
