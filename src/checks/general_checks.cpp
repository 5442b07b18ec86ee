#include "checks/general_checks.h"

#include "checks/numeric_variable.h"
#include "config/discovery.h"
#include "config/path_utils.h"
#include "config/registry_key.h"
#include "config/variable_store.h"
#include "driver/message.h"

namespace {

constexpr const char* DefaultTraceFile = "zorpktrc.log";

void reportProductRegistry(ReportLog& log) {
  RegistryKeyHandle registry;
  if (!registry->openPath(ProductRegistryKey)) return;

  Str version = registry->queryString(ProductRegistrySubKey, "Version");
  if (!version.empty()) {
    report(log, msg::CHK0090I, "Registry", version);
  } else {
    report(log, msg::CHK0080A, "Registry", "Corvanta Version");
  }

  // The entries are debug lines only: outside debug mode nothing of them
  // would be written, so a key of millions of values is not even read.
  if (!log.debugMode()) return;
  Str names = registry->listValueNames(ProductRegistrySubKey);
  if (names.empty()) return;
  report(log, msg::CHK_DBG, "Corvanta Registry entries:");
  // The subkey is opened once for all its values, not once a value.
  RegistryKeyHandle product;
  const bool opened =
      product->openPath(Str(ProductRegistryKey).append('\\').append(ProductRegistrySubKey));
  Tokenizer entries(names, '\n', false);
  for (Str name = entries.nextToken(); !name.empty(); name = entries.nextToken()) {
    report(log, msg::CHK_DBG, "  %2: %3", name,
           opened ? product->queryOwnString(name)
                  : registry->queryString(ProductRegistrySubKey, name));
  }
}

void reportTracing(ReportLog& log, const Str& files) {
  Tokenizer criteria(lookupVariable("ZOR_TRACE_CRITERIA", LookupMode::All), ',', true);
  std::int32_t c1 = convertLikeAtol(criteria.nextToken());
  std::int32_t c2 = convertLikeAtol(criteria.nextToken());
  std::int32_t c3 = convertLikeAtol(criteria.nextToken());
  if (c1 == 0 || c2 == 0 || c3 == 0) {
    report(log, msg::CHK0083I, c1, c2, c3);
    return;
  }

  Str traceFile = lookupVariable("ZOR_TRACE_FILE", LookupMode::All);
  if (traceFile.empty()) traceFile = DefaultTraceFile;
  // A name with a directory of its own (a backslash, or a drive as in
  // "d:trace.log") is shown as written; a bare name lies in ZOR_FILES.
  const bool hasDirectory = traceFile.find('\\') != 0 || traceFile.find(':') == 2;
  if (!hasDirectory && isDirectory(files)) traceFile = joinPath(files, traceFile);
  report(log, msg::CHK0082I, c1, c2, c3, traceFile);

  Str detail = lookupVariable("ZOR_TRACE_DETAIL", LookupMode::All);
  if (!detail.empty()) report(log, msg::CHK0013I, "ZOR_TRACE_DETAIL", detail);

  std::int32_t threshold = checkNumericVariable(log, "ZOR_TRACE_THRESHOLD", false, LookupMode::All);
  if (threshold != 0 && !lookupVariable("ZOR_SPLIT_TRACES", LookupMode::All).empty()) {
    report(log, msg::CHK_ERR, "You must not set both ZOR_TRACE_THRESHOLD and ZOR_SPLIT_TRACES");
  }
}

}  // namespace

std::int32_t checkGeneral(ReportLog& log, CheckOptions&) {
  report(log, msg::CHK0055I, osVersionText());
  reportProductRegistry(log);

  Str files = lookupVariable("ZOR_FILES", LookupMode::All);
  if (files.empty()) {
    report(log, msg::CHK0011R, "ZOR_FILES");
  } else if (!isDirectory(files)) {
    report(log, msg::CHK0009A, "ZOR_FILES", files);
  }

  reportTracing(log, files);
  return 0;
}
