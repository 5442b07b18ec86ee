#include "config/variable_names.h"

#include <utility>
#include <vector>

#include "driver/message.h"

const char KnownVariableTable[KnownVariableCount][KnownVariableNameSize] = {
    "ZORPF_RESOLVE",
    "ZOR_APIINIT_WAIT",
    "ZOR_AUDIT_LOG_FILTER",
    "ZOR_AUDIT_LOG_FORMAT",
    "ZOR_BASEPATH",
    "ZOR_BUNDLE_SERVER",
    "ZOR_CCSID",
    "ZOR_CLEAN_INT",
    "ZOR_DB_NAME",
    "ZOR_DB_PATH",
    "ZOR_DURATION_UNIT",
    "ZOR_FETCH_POLICY",
    "ZOR_FILES",
    "ZOR_HOST",
    "ZOR_HOT_POOL_ID",
    "ZOR_IGNORE_CODEPAGE",
    "ZOR_IGNORE_SEGMENTS",
    "ZOR_LANG",
    "ZOR_LOCK_WHOLE_SEGMENT",
    "ZOR_LOGO",
    "ZOR_MAXACT_ITEMS",
    "ZOR_MAXPROC_ITEMS",
    "ZOR_MEASURE_SRV",
    "ZOR_MMAP_SIZE",
    "ZOR_MPPT",
    "ZOR_NOGUI",
    "ZOR_NOTIF_INT",
    "ZOR_NO_UNIQUE_NAME_CHECK",
    "ZOR_NUMBER_OF_SEGMENTS",
    "ZOR_PASSWORD",
    "ZOR_PEA_KEEP_DLL",
    "ZOR_PREALLOCATE_SEGMENT",
    "ZOR_PROCMON_AUTOSIZE",
    "ZOR_PROCMON_SB",
    "ZOR_PROTOCOL",
    "ZOR_RECHECK_INT",
    "ZOR_RECOVER_XCLI_INTERVAL",
    "ZOR_REFRESH_TIME",
    "ZOR_REFRESH_WORKLISTS",
    "ZOR_REP_ADDRESS",
    "ZOR_REP_CARRIER",
    "ZOR_REP_DB_PATH",
    "ZOR_REP_FROM",
    "ZOR_REP_HOST",
    "ZOR_REP_NODE_NAME",
    "ZOR_REP_PLATFORM",
    "ZOR_REP_RECORD",
    "ZOR_REP_REPLAY",
    "ZOR_REP_SPLIT",
    "ZOR_REP_TO",
    "ZOR_RESEND_INT",
    "ZOR_RTC_POST_TIMEOUT",
    "ZOR_RT_CLIENT_BEEP",
    "ZOR_RUNTIME_SERVER",
    "ZOR_SEGMENT_SIZE",
    "ZOR_SEGMENT_STRATEGY",
    "ZOR_SERVER_NAME",
    "ZOR_SERVER_NODE",
    "ZOR_SERVER_PROTOCOL",
    "ZOR_SPLIT_TRACES",
    "ZOR_STARTUP_INTERVAL",
    "ZOR_TIMEOUT",
    "ZOR_TPDBG",
    "ZOR_TP_AUTO_RECONN",
    "ZOR_TP_BATCHSIZE",
    "ZOR_TP_HOME_INTERFACE",
    "ZOR_TP_IPADDR",
    "ZOR_TP_KEEP",
    "ZOR_TP_MAX_CONN",
    "ZOR_TP_MAX_QUEUE_ELEMENTS",
    "ZOR_TP_MULTIHOME_PROTOCOL",
    "ZOR_TP_QUERY_PRIORITY",
    "ZOR_TP_SEND_TIMEOUT",
    "ZOR_TRACE_CRITERIA",
    "ZOR_TRACE_DETAIL",
    "ZOR_TRACE_FILE",
    "ZOR_TRACE_THRESHOLD",
    "ZOR_UNSAVE_INVOKE",
    "ZOR_USERID",
    "ZOR_VERIFY_PTRS",
    "ZOR_VERSION_CHECK",
};

std::int32_t wld(const Str& a, const Str& b, std::int32_t substitution, std::int32_t insertion,
                 std::int32_t deletion) {
  const std::size_t m = a.length();
  const std::size_t n = b.length();
  const char* left = a.c_str();
  const char* right = b.c_str();
  std::vector<std::int32_t> rows(2 * (n + 1));
  std::int32_t* previous = rows.data();
  std::int32_t* current = previous + (n + 1);
  for (std::size_t j = 0; j <= n; ++j) previous[j] = static_cast<std::int32_t>(j) * insertion;
  for (std::size_t i = 0; i < m; ++i) {
    current[0] = previous[0] + deletion;
    const char c = left[i];
    for (std::size_t j = 1; j <= n; ++j) {
      std::int32_t replace = previous[j - 1] + (c != right[j - 1] ? substitution : 0);
      std::int32_t insert = current[j - 1] + insertion;
      std::int32_t remove = previous[j] + deletion;
      std::int32_t best = replace < insert ? replace : insert;
      current[j] = best < remove ? best : remove;
    }
    std::swap(previous, current);
  }
  return previous[n];
}

void checkVariableName(ReportLog& log, const Str& key) {
  std::int32_t best = wld(KnownVariableTable[0], key, 1, 1, 1);
  std::size_t chosen = 0;
  for (std::size_t row = 1; row < KnownVariableCount && best != 0; ++row) {
    std::int32_t distance = wld(KnownVariableTable[row], key, 1, 1, 1);
    if (distance < best) {
      best = distance;
      chosen = row;
    }
  }
  if (best == 0) return;
  report(log, msg::CHK0074A, key, KnownVariableTable[chosen]);
  report(log, msg::CHK_DBG, "wld(%2, %3) = %4", key, KnownVariableTable[chosen], best);
}
