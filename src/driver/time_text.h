// The local time as text.
#pragma once

#include <ctime>
#include <string>

/// The local time in the C library's ctime form, without its line end:
/// "Wed Jun  5 09:04:02 2024", the day padded with a blank as the C standard
/// has it (the Windows C runtime pads it with a zero instead). Empty when
/// the time cannot be converted.
std::string ctimeText(std::time_t when);
