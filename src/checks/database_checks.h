// Checks of the ObjectStore database: the server's directories and
// parameters, and the settings that every program opening the database
// needs.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"

/// Registry key of the ObjectStore installation below HKEY_LOCAL_MACHINE.
constexpr const char* ObjectStoreRegistryKey = "SOFTWARE\\Object Design Inc.\\ObjectStore.4.0";

/// Check routine of the "Database Server" row; returns 0.
std::int32_t checkDatabaseServer(ReportLog& log, CheckOptions& options);

/// The database-client check: database path, schema file, ObjectStore
/// client variables and network. Works on its first call of the run only;
/// later calls return 0 at once.
std::int32_t checkDatabaseClient(ReportLog& log, CheckOptions& options);
