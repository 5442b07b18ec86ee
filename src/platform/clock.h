// Portable interface to the clock: the current time as a 64-bit count of
// seconds, and its local calendar time, so that dates after 2038 come out
// right also where the C runtime's time_t has 32 bits.
#pragma once

#include <cstdint>

namespace platform {

/// A calendar time as the system's local time gives it.
struct CalendarTime {
  int year = 0;     // four digits
  int month = 0;    // 1 = January
  int day = 0;      // of the month, 1-31
  int weekday = 0;  // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

/// Seconds since 1970-01-01 00:00 UTC.
std::int64_t currentTime();

/// The local calendar time of `when` (seconds since 1970-01-01 00:00 UTC);
/// false when the system cannot convert it.
bool localCalendarTime(std::int64_t when, CalendarTime& calendar);

/// Whether the platform's C runtime writes the day of the month in its
/// ctime text with a leading zero ("Jun 05", as Windows' does) rather than
/// a blank ("Jun  5", as the C standard has it).
bool ctimePadsDayWithZero();

}  // namespace platform
