#include "driver/time_text.h"

#include <cstdio>

namespace {
const char* const DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}  // namespace

std::string ctimeText(std::time_t when) {
  const std::tm* t = std::localtime(&when);
  if (t == nullptr) return std::string();
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", DayNames[t->tm_wday % 7],
                MonthNames[t->tm_mon % 12], t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec,
                1900 + t->tm_year);
  return text;
}
