// Installation discovery: the version gate, the product directory from the
// registry (or the current directory), and the profile.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"

/// Registry key of the product below HKEY_LOCAL_MACHINE, and its subkey.
constexpr const char* ProductRegistryKey = "SOFTWARE\\Ostral\\Corvanta";
constexpr const char* ProductRegistrySubKey = "2.3";

/// Fills productPath, dllDirectory and profileName of `options` and reads
/// the profile. Returns 1 when the requested version is below 2.3 (the run
/// stops), else 0: a missing registry entry or profile never stops the run.
std::int32_t discoverInstallation(ReportLog& log, CheckOptions& options);
