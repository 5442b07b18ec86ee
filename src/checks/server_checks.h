// Checks of the runtime, notification and delivery servers: each opens the
// database, then its own tuning variables.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"

std::int32_t checkRuntimeServer(ReportLog& log, CheckOptions& options);
std::int32_t checkNotificationServer(ReportLog& log, CheckOptions& options);
std::int32_t checkDeliveryServer(ReportLog& log, CheckOptions& options);
