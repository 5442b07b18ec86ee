// Win32 backend only: the clock as FILETIME, 100-nanosecond intervals since
// 1601, which every Windows NT has in 64 bits.
#include "platform/clock.h"

#include <windows.h>

namespace platform {
namespace {
// FILETIME of 1970-01-01 00:00 UTC, and its intervals per second.
constexpr std::int64_t UnixEpoch = 116444736000000000LL;
constexpr std::int64_t TicksPerSecond = 10000000;
}  // namespace

std::int64_t currentTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  return (ticks - UnixEpoch) / TicksPerSecond;
}

bool localCalendarTime(std::int64_t when, CalendarTime& calendar) {
  if (when < -UnixEpoch / TicksPerSecond || when > (INT64_MAX - UnixEpoch) / TicksPerSecond) {
    return false;
  }
  const std::uint64_t ticks = static_cast<std::uint64_t>(when * TicksPerSecond + UnixEpoch);
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(ticks);
  utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  FILETIME local;
  SYSTEMTIME fields;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields)) {
    return false;
  }
  calendar.year = fields.wYear;
  calendar.month = fields.wMonth;
  calendar.day = fields.wDay;
  calendar.weekday = fields.wDayOfWeek;
  calendar.hour = fields.wHour;
  calendar.minute = fields.wMinute;
  calendar.second = fields.wSecond;
  return true;
}

bool ctimePadsDayWithZero() {
  return true;
}

}  // namespace platform
