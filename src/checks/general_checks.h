// The checks that concern every component: operating system, product
// version and registry entries, the product's file directory, and tracing.
#pragma once

#include <cstdint>

#include "driver/check_options.h"
#include "driver/report_log.h"

/// Check routine of the "General" row; always returns 0.
std::int32_t checkGeneral(ReportLog& log, CheckOptions& options);
