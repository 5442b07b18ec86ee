// POSIX backend only: the host's clock and time zone.
#include "platform/clock.h"

#include <time.h>

#include <cstdint>

namespace platform {

std::int64_t currentTime() {
  return static_cast<std::int64_t>(::time(nullptr));
}

bool localCalendarTime(std::int64_t when, CalendarTime& calendar) {
  const time_t host = static_cast<time_t>(when);
  if (static_cast<std::int64_t>(host) != when) return false;  // a 32-bit time_t
  struct tm fields;
  if (::localtime_r(&host, &fields) == nullptr) return false;
  calendar.year = fields.tm_year + 1900;
  calendar.month = fields.tm_mon + 1;
  calendar.day = fields.tm_mday;
  calendar.weekday = fields.tm_wday;
  calendar.hour = fields.tm_hour;
  calendar.minute = fields.tm_min;
  calendar.second = fields.tm_sec;
  return true;
}

bool ctimePadsDayWithZero() {
  return false;
}

}  // namespace platform
