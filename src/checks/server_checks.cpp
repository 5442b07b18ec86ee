#include "checks/server_checks.h"

#include "checks/database_checks.h"
#include "checks/numeric_variable.h"
#include "config/variable_store.h"
#include "driver/message.h"

namespace {

// The limits compare as unsigned 32-bit numbers: a negative setting counts
// as very large.
constexpr std::uint32_t ShortestNotificationInterval = 60;
constexpr std::uint32_t ShortestRecheckInterval = 600;

std::uint32_t asUnsigned(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}

Str lookup(const char* name) {
  return lookupVariable(name, LookupMode::All);
}

void checkSegmentSize(ReportLog& log) {
  const char* name = "ZOR_SEGMENT_SIZE";
  Str value = lookup(name);
  if (value.empty()) return;
  std::int32_t segmentSize = 0;
  if (!lookupNumber(name, segmentSize)) {
    report(log, msg::CHK0012R, name, value);
    return;
  }
  report(log, msg::CHK0013I, name, segmentSize);
  std::int32_t addressSpace = 0;
  if (!lookupVariable("OS_AS_SIZE", LookupMode::EnvironmentOnly).empty() &&
      lookupNumber("OS_AS_SIZE", addressSpace) &&
      asUnsigned(addressSpace) < asUnsigned(segmentSize)) {
    report(log, msg::CHK0106R, "OS_AS_SIZE", name);
  }
}

/// A limit of 0 means no limit.
void checkItemLimit(ReportLog& log, const char* name) {
  std::int32_t limit = checkNumericVariable(log, name, false, LookupMode::All);
  if (!lookup(name).empty() && limit == 0) report(log, msg::CHK0013I, name, "<unlimited>");
}

}  // namespace

std::int32_t checkRuntimeServer(ReportLog& log, CheckOptions& options) {
  checkDatabaseClient(log, options);
  checkSegmentSize(log);
  if (!lookup("ZOR_UNSAVE_INVOKE").empty()) report(log, msg::CHK0013I, "ZOR_UNSAVE_INVOKE", "YES");
  checkItemLimit(log, "ZOR_MAXPROC_ITEMS");
  checkItemLimit(log, "ZOR_MAXACT_ITEMS");
  Str recover = lookup("ZOR_RECOVER_CLIENTS");
  if (!recover.empty()) {
    report(log, msg::CHK0013I, "ZOR_RECOVER_CLIENTS",
           recover.lowered() == Str("no") ? "NO" : "YES");
  }
  return 0;
}

std::int32_t checkNotificationServer(ReportLog& log, CheckOptions& options) {
  checkDatabaseClient(log, options);
  std::int32_t interval = checkNumericVariable(log, "ZOR_NOTIF_INT", false, LookupMode::All);
  if (asUnsigned(interval) < ShortestNotificationInterval) {
    report(log, msg::CHK0107A, "ZOR_NOTIF_INT", "60s");
  }
  return 0;
}

std::int32_t checkDeliveryServer(ReportLog& log, CheckOptions& options) {
  checkDatabaseClient(log, options);
  std::int32_t resend = checkNumericVariable(log, "ZOR_RESEND_INT", false, LookupMode::All);
  std::int32_t recheck = checkNumericVariable(log, "ZOR_RECHECK_INT", false, LookupMode::All);
  if (asUnsigned(recheck) < ShortestRecheckInterval) {
    report(log, msg::CHK0107A, "ZOR_RECHECK_INT", "600s");
  }
  if (asUnsigned(recheck) < asUnsigned(resend)) {
    report(log, msg::CHK0106R, "ZOR_RECHECK_INT", "ZOR_RESEND_INT");
  }
  return 0;
}
