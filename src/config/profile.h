// The product profile: a text file of "key = value" lines that sets the
// product's configuration variables.
#pragma once

#include <cstdint>

#include "driver/report_log.h"
#include "driver/str.h"

constexpr std::int32_t ProfileRead = 0;
constexpr std::int32_t ProfileNotFound = 1;
constexpr std::int32_t ProfileNotOpened = 2;

/// Finds the profile named `profileName` (the name itself, then the same
/// file name in each directory of the product path followed by PATH),
/// reports the profile used and every other one found, and loads its
/// assignments into the variable store (each key passed through the
/// spelling check; a non-empty environment value replaces the profile's).
/// `profileName` becomes the absolute lower-case path of the profile used,
/// or empty. Returns ProfileRead, ProfileNotFound or ProfileNotOpened.
std::int32_t readProfile(ReportLog& log, const Str& productPath, Str& profileName);

/// Reports CHK0065A when the profile cannot be read by the running user.
void checkProfileAccess(ReportLog& log, const Str& profilePath);
