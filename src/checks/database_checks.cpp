#include "checks/database_checks.h"

#include <cctype>

#include "checks/numeric_variable.h"
#include "checks/quorlink_checks.h"
#include "config/path_utils.h"
#include "config/registry_key.h"
#include "config/variable_store.h"
#include "driver/message.h"

namespace {

constexpr std::size_t LongestDatabasePath = 80;

/// Reports an unset variable, or one that does not name a directory.
void checkDirectoryVariable(ReportLog& log, const char* name) {
  Str value = lookupVariable(name, LookupMode::EnvironmentOnly);
  if (value.empty()) {
    report(log, msg::CHK0011R, name);
  } else if (!isDirectory(value)) {
    report(log, msg::CHK0009A, name, value);
  }
}

bool hasDriveForm(const Str& path) {
  return path.at(2) == ':' && path.at(3) == '\\';
}

void checkDatabasePathForm(ReportLog& log, const Str& path) {
  if (path.length() > LongestDatabasePath) {
    report(log, msg::CHK0092R, static_cast<std::int32_t>(path.length()));
  }
  if (path.at(1) != '/' && !hasDriveForm(path)) report(log, msg::CHK0085R);
  if (hasDriveForm(path)) {
    for (std::size_t i = 1; i <= path.length(); ++i) {
      if (std::isupper(static_cast<unsigned char>(path.at(i)))) {
        report(log, msg::CHK0084R);
        break;
      }
    }
  }
}

void checkLocalDatabase(ReportLog& log, const Str& path) {
  if (!lookupVariable("ZOR_HOST", LookupMode::All).empty()) return;
  if (isDirectory(path)) {
    Str schema = joinPath(path, "zordb.adb");
    if (!isFile(schema)) report(log, msg::CHK0008R, "Schema", schema);
  } else {
    report(log, msg::CHK0009A, "Database", path);
  }
}

}  // namespace

std::int32_t checkDatabaseServer(ReportLog& log, CheckOptions&) {
  checkDirectoryVariable(log, "OS_ROOTDIR");
  checkDirectoryVariable(log, "TMP");

  RegistryKeyHandle registry;
  Str logFile;
  if (registry->openPath(ObjectStoreRegistryKey))
    logFile = registry->queryString("Server", "Log File");
  if (logFile.empty()) {
    report(log, msg::CHK0080A, "Registry", "OSServer Log File");
    return 0;
  }
  if (!isFile(logFile)) report(log, msg::CHK0079A, logFile, "-con -i");

  Str names = registry->listValueNames("Server");
  if (!names.empty()) report(log, msg::CHK0076I);
  Tokenizer entries(names, '\n', false);
  for (Str name = entries.nextToken(); !name.empty(); name = entries.nextToken()) {
    report(log, msg::CHK0078I, name, registry->queryString("Server", name));
  }
  return 0;
}

std::int32_t checkDatabaseClient(ReportLog& log, CheckOptions& options) {
  if (!log.run().firstTime(RunOnce::DatabaseClientCheck)) return 0;

  if (lookupVariable("OS_ROOTDIR", LookupMode::EnvironmentOnly).empty()) {
    report(log, msg::CHK0011R, "OS_ROOTDIR");
  }

  Str databasePath = lookupVariable("ZOR_DB_PATH", LookupMode::All);
  if (databasePath.empty()) {
    report(log, msg::CHK0011R, "ZOR_DB_PATH");
  } else {
    checkDatabasePathForm(log, databasePath);
    checkLocalDatabase(log, databasePath);
  }

  checkNumericVariable(log, "OS_CACHE_SIZE", false, LookupMode::EnvironmentOnly);
  checkNumericVariable(log, "OS_AS_SIZE", false, LookupMode::EnvironmentOnly);
  if (databasePath.at(1) == '/') {
    checkNumericVariable(log, "UNIX.UID", true, LookupMode::EnvironmentOnly);
    checkNumericVariable(log, "UNIX.GID", true, LookupMode::EnvironmentOnly);
  }
  if (lookupVariable("OS_RELOPT_THRESH", LookupMode::EnvironmentOnly) != Str("0")) {
    report(log, msg::CHK0081A, "OS_RELOPT_THRESH", "0");
  }
  return checkObjectStoreNetwork(log, options);
}
