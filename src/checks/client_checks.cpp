#include "checks/client_checks.h"

#include <set>

#include "checks/database_checks.h"
#include "checks/quorlink_checks.h"
#include "config/path_utils.h"
#include "config/variable_store.h"
#include "driver/message.h"
#include "net/library_loader.h"

namespace {

struct ProductFile {
  const char* label;
  bool inLibraryDirectory;  // else the product directory
  const char* searchVariable;
  const char* baseName;
  const char* extension;
};

const ProductFile BuildtimeClientFiles[] = {
    {"B/T resource", true, "", "zorprb", ".dll"},
    {"B/T help", false, "HELP", "zorphb", ".hlp"},
    {"VRK/9 definition", false, "PATH", "zorpmp", ".df"},
    {"VRK/9 resource", true, "", "zorgo", ".dll"},
};

}  // namespace

std::int32_t checkBuildtimeClient(ReportLog& log, CheckOptions& options) {
  checkDatabaseClient(log, options);
  Str language = lookupVariable("ZOR_LANG", LookupMode::All).toLower();
  for (const ProductFile& file : BuildtimeClientFiles) {
    checkProductFile(log, file.inLibraryDirectory ? options.dllDirectory : options.productPath,
                     file.searchVariable, file.baseName, language, file.extension, file.label);
  }
  return 0;
}

void checkProductFile(ReportLog& log, const Str& baseDirectory, const Str& searchVariable,
                      const Str& baseName, const Str& language, const Str& extension,
                      const Str& label) {
  Str fileName = baseName;
  fileName.append(language).append(extension);
  const Str filePath = joinPath(baseDirectory, fileName);

  if (extensionOf(filePath) == Str("dll")) {
    LibraryRef library;
    std::int32_t error = library.load(baseNameOf(filePath));
    library.release();
    if (error == 0) return;
  }
  if (isFile(filePath)) return;

  Str directories =
      searchVariable.empty() ? Str() : lookupVariable(searchVariable, LookupMode::EnvironmentOnly);
  if (directories.empty()) {
    report(log, msg::CHK0008R, label, filePath);
    return;
  }
  Str found;
  if (findInPathList(fileName, directories, found)) return;
  report(log, msg::CHK0108R, label, fileNamePart(filePath), parentDirectory(filePath),
         searchVariable);
}

std::int32_t checkRuntimeClient(ReportLog& log, CheckOptions& options) {
  checkShutdownGui(log, options);
  return checkRuntimeServerSpec(log, options);
}

std::int32_t checkBundleClient(ReportLog& log, CheckOptions& options) {
  return checkBundleServerSpec(log, options);
}

std::int32_t checkShutdownGui(ReportLog&, CheckOptions&) {
  return 0;
}

std::int32_t checkRuntimeServerSpec(ReportLog& log, CheckOptions& options) {
  Str value = lookupVariable("ZOR_RUNTIME_SERVER", LookupMode::All);
  if (value.empty()) report(log, msg::CHK0214R);

  Tokenizer fields(value, ',', true);
  std::set<Str> seenKeys;  // upper case
  for (Str key = fields.nextToken(); !key.empty(); key = fields.nextToken()) {
    Str second = fields.nextToken();
    Str address = fields.nextToken();
    Str protocol = fields.nextToken();
    if (protocol.empty()) {
      report(log, msg::CHK0212R, key, second, address, protocol);
      break;
    }
    key.toUpper();
    if (!seenKeys.insert(key).second) report(log, msg::CHK0222A, key);
    checkServerSpec(log, options, protocol, address);
  }
  return 0;
}

std::int32_t checkBundleServerSpec(ReportLog& log, CheckOptions& options) {
  Str value = lookupVariable("ZOR_BUNDLE_SERVER", LookupMode::All);
  if (value.empty()) report(log, msg::CHK0215R);

  Tokenizer fields(value, ',', true);
  for (Str first = fields.nextToken(); !first.empty(); first = fields.nextToken()) {
    Str address = fields.nextToken();
    Str protocol = fields.nextToken();
    if (protocol.empty()) {
      report(log, msg::CHK0213R, first, address, protocol);
      break;
    }
    checkServerSpec(log, options, protocol, address);
  }
  return 0;
}
