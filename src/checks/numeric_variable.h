// The numeric-variable check shared by the component checks.
#pragma once

#include <cstdint>

#include "config/variable_store.h"
#include "driver/report_log.h"
#include "driver/str.h"

/// Looks `name` up with `mode` and reports it: CHK0011R when empty (only
/// with `reportWhenNotSet`), CHK0013I with its number when numeric (as
/// lookupNumber judges it), else CHK0012R. Returns the number, or 0 when
/// the variable is not set or not numeric.
std::int32_t checkNumericVariable(ReportLog& log, const Str& name, bool reportWhenNotSet,
                                  LookupMode mode);
