#include "checks/numeric_variable.h"

#include "driver/message.h"

std::int32_t checkNumericVariable(ReportLog& log, const Str& name, bool reportWhenNotSet,
                                  LookupMode mode) {
  Str value = lookupVariable(name, mode);
  if (value.empty()) {
    if (reportWhenNotSet) report(log, msg::CHK0011R, name);
    return 0;
  }
  std::int32_t number = 0;
  if (lookupNumber(name, number)) {
    report(log, msg::CHK0013I, name, number);
    return number;
  }
  report(log, msg::CHK0012R, name, value);
  return 0;
}
