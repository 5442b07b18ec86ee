// The local time as text.
#pragma once

#include <cstdint>
#include <string>

/// The local time of `when` (seconds since 1970-01-01 00:00 UTC, 64 bits, so
/// also after 2038) in the C library's ctime form, without its line end:
/// "Wed Jun  5 09:04:02 2024", the day padded with a blank as the C standard
/// has it. Empty when the time cannot be converted.
std::string ctimeText(std::int64_t when);

/// The same as the platform's own C runtime writes it: Windows' pads the day
/// with a zero ("Wed Jun 05 09:04:02 2024").
std::string runtimeCtimeText(std::int64_t when);
