#include "config/variable_names.h"

#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "driver/message.h"

const char KnownVariableTable[][KnownVariableNameSize] = {
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

const std::size_t KnownVariableCount = std::size(KnownVariableTable);

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

namespace {

/// The table's names side by side, padded to a multiple of four.
constexpr std::size_t NameColumns = (std::size(KnownVariableTable) + 3) / 4 * 4;

/// The known names as bit columns for the bit-parallel distance: bit i of
/// `positions[c][k]` is set when character i of name k is the byte c. Every
/// name has at most 32 characters. The padding columns repeat the last name.
struct NameColumnsBits {
  NameColumnsBits() {
    for (std::size_t k = 0; k < NameColumns; ++k) {
      const char* name = KnownVariableTable[k < KnownVariableCount ? k : KnownVariableCount - 1];
      const std::size_t m = std::strlen(name);
      length[k] = static_cast<std::int32_t>(m);
      lastBit[k] = m == 0 ? 0 : 1u << (m - 1);
      for (std::size_t i = 0; i < m; ++i) {
        positions[static_cast<unsigned char>(name[i])][k] |= 1u << i;
      }
    }
  }
  std::uint32_t positions[256][NameColumns] = {};
  std::uint32_t lastBit[NameColumns] = {};
  std::int32_t length[NameColumns] = {};
};

const NameColumnsBits& nameColumns() {
  static const NameColumnsBits columns;
  return columns;
}

/// The unit-cost edit distance of `key` to every known name at once, with
/// the bit-vector method for whole strings: per name, the column of the
/// distance table is kept as bits of its vertical steps (+1, -1, 0) and one
/// character of the key moves it on in a few word operations; the distance
/// is followed through the column's last row. Time is linear in the key's
/// length and nothing is allocated, so a key of millions of characters is
/// cheap. Equal to wld(name, key, 1, 1, 1) for every name.
void distancesToKnownNames(const Str& key, std::int32_t (&distance)[NameColumns]) {
  const NameColumnsBits& names = nameColumns();
  std::uint32_t plus[NameColumns];   // vertical steps of +1
  std::uint32_t minus[NameColumns];  // vertical steps of -1
  for (std::size_t k = 0; k < NameColumns; ++k) {
    plus[k] = ~0u;
    minus[k] = 0;
    distance[k] = names.length[k];
  }
  const unsigned char* text = reinterpret_cast<const unsigned char*>(key.c_str());
  for (std::size_t j = 0; j < key.length(); ++j) {
    const std::uint32_t* equal = names.positions[text[j]];
    for (std::size_t k = 0; k < NameColumns; ++k) {
      const std::uint32_t eq = equal[k];
      const std::uint32_t pv = plus[k];
      const std::uint32_t xv = eq | minus[k];
      const std::uint32_t xh = (((eq & pv) + pv) ^ pv) | eq;
      std::uint32_t ph = minus[k] | ~(xh | pv);  // horizontal steps of +1
      std::uint32_t mh = pv & xh;                // horizontal steps of -1
      distance[k] += static_cast<std::int32_t>((ph & names.lastBit[k]) != 0) -
                     static_cast<std::int32_t>((mh & names.lastBit[k]) != 0);
      // The table's first row counts the key's characters: a step of +1.
      ph = (ph << 1) | 1u;
      mh <<= 1;
      plus[k] = mh | ~(xv | ph);
      minus[k] = ph & xv;
    }
  }
}

}  // namespace

void checkVariableName(ReportLog& log, const Str& key) {
  std::int32_t distance[NameColumns];
  distancesToKnownNames(key, distance);
  std::size_t chosen = 0;
  for (std::size_t row = 1; row < KnownVariableCount; ++row) {
    if (distance[row] < distance[chosen]) chosen = row;
  }
  const std::int32_t best = distance[chosen];
  if (best == 0) return;
  report(log, msg::CHK0074A, key, KnownVariableTable[chosen]);
  report(log, msg::CHK_DBG, "wld(%2, %3) = %4", key, KnownVariableTable[chosen], best);
}
