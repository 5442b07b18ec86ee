// The spelling check of profile keys: a key that is not a known product
// variable is reported with the nearest known name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/report_log.h"
#include "driver/str.h"

/// Room for a known name and its terminating null.
constexpr std::size_t KnownVariableNameSize = 40;

/// The known variable names. Row order matters: of names at the same
/// distance from a key, the earliest is suggested.
extern const char KnownVariableTable[][KnownVariableNameSize];
/// The number of rows of KnownVariableTable.
extern const std::size_t KnownVariableCount;

/// Weighted edit distance: the cheapest way to turn `a` into `b` where
/// replacing a character costs `substitution` (nothing when equal),
/// inserting one of `b` costs `insertion` and deleting one of `a` costs
/// `deletion`.
std::int32_t wld(const Str& a, const Str& b, std::int32_t substitution, std::int32_t insertion,
                 std::int32_t deletion);

/// Reports CHK0074A with the nearest known name (and a debug line with the
/// distance) when `key` is not in the table; nothing when it is.
void checkVariableName(ReportLog& log, const Str& key);
