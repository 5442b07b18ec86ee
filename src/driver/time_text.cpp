#include "driver/time_text.h"

#include <cstdio>

#include "platform/clock.h"

namespace {
const char* const DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string formatted(std::int64_t when, bool zeroPaddedDay) {
  platform::CalendarTime t;
  if (!platform::localCalendarTime(when, t)) return std::string();
  if (t.month < 1 || t.month > 12 || t.weekday < 0 || t.weekday > 6) return std::string();
  char text[64];
  std::snprintf(
      text, sizeof text,
      zeroPaddedDay ? "%.3s %.3s %02d %.2d:%.2d:%.2d %d" : "%.3s %.3s%3d %.2d:%.2d:%.2d %d",
      DayNames[t.weekday], MonthNames[t.month - 1], t.day, t.hour, t.minute, t.second, t.year);
  return text;
}
}  // namespace

std::string ctimeText(std::int64_t when) {
  return formatted(when, false);
}

std::string runtimeCtimeText(std::int64_t when) {
  return formatted(when, platform::ctimePadsDayWithZero());
}
