#include "checks/component_table.h"

#include "checks/client_checks.h"
#include "checks/database_checks.h"
#include "checks/general_checks.h"
#include "checks/quorlink_checks.h"
#include "checks/server_checks.h"
#include "config/path_utils.h"
#include "config/variable_store.h"
#include "driver/message.h"

const ComponentEntry ComponentTable[] = {
    {"General", checkGeneral, nullptr, {"", "", "", ""}},
    {"Database Server",
     checkDatabaseServer,
     nullptr,
     {"osserver.exe", "osserver", nullptr, "osserver.exe"}},
    {"B/T Client", checkBuildtimeClient, nullptr, {"zorpssbt.exe", nullptr, nullptr, nullptr}},
    {"QuorLink Server",
     checkQuorLinkServer,
     updateQuorLinkServer,
     {"zorpisrv.exe", "zorpisrv", "zorcisrv.exe", "zorpisrv.exe"}},
    {"R/T Server",
     checkRuntimeServer,
     nullptr,
     {"zorpesrv.exe", "zorpesrv", nullptr, "zorpesrv.exe"}},
    {"Bundle Server",
     checkDatabaseClient,
     nullptr,
     {"zorposrv.exe", "zorposrv", nullptr, "zorposrv.exe"}},
    {"Notification Server",
     checkNotificationServer,
     nullptr,
     {"zorpwess.exe", "zorpwess", nullptr, "zorpwess.exe"}},
    {"Delivery Server",
     checkDeliveryServer,
     nullptr,
     {"zorpedes.exe", "zorpedes", nullptr, "zorpedes.exe"}},
    {"R/T Client",
     checkRuntimeClient,
     nullptr,
     {"zorpssrt.exe", "zorpssrt", "zorcssrt.exe", "zorbssrt.exe"}},
    {"Execution Client",
     nullptr,
     nullptr,
     {"zorpxcli.exe", "zorpxcli", "zorcxcli.exe", "zorbxcli.exe"}},
    {"Bundle Client",
     checkBundleClient,
     nullptr,
     {"zorpobcl.exe", "zorpobcl", "zorcobcl.exe", "zorbobcl.exe"}},
    {"Shutdown GUI", checkShutdownGui, nullptr, {nullptr, "zorpsqui", nullptr, nullptr}},
    {nullptr, nullptr, nullptr, {nullptr, nullptr, nullptr, nullptr}},
};

namespace {

/// Where a component's executable should live: the web server's CGI folder
/// for CGI programs, the ObjectStore tree for its server, else the product
/// directory.
Str homeDirectory(const Str& executable, const CheckOptions& options) {
  if (matchWildcard(executable.c_str(), "zorp5cgi*", '?', '*')) {
    return joinPath(joinPath(parentDirectory(options.productPath), "www"), "cgi-prot");
  }
  if (matchWildcard(executable.c_str(), "osserver*", '?', '*')) {
    Str root = lookupVariable("OS_ROOTDIR", LookupMode::All);
    return root.empty() ? options.productPath : joinPath(root, "bin");
  }
  return options.productPath;
}

}  // namespace

std::int32_t runComponentChecks(ReportLog& log, CheckOptions& options, bool updateMode,
                                const ComponentEntry* table) {
  std::int32_t result = 0;
  const Str path = lookupVariable("PATH", LookupMode::EnvironmentOnly);
  for (const ComponentEntry* row = table; row->displayName != nullptr; ++row) {
    const char* executable = row->executable[ExecutableColumnRead];
    if (executable == nullptr) continue;
    if (updateMode && row->update == nullptr) continue;

    if (*executable != '\0') {
      Str found;
      Str searchList = joinPathList(homeDirectory(executable, options), path);
      if (!findInPathList(executable, searchList, found)) {
        report(log, msg::CHK0052I, row->displayName, executable);
        continue;
      }
    }

    std::int32_t status = 0;
    if (updateMode) {
      report(log, msg::CHK0053I, row->displayName);
      status = row->update(log, options);
    } else if (row->check != nullptr) {
      report(log, *executable == '\0' ? msg::CHK0050I : msg::CHK0051I, row->displayName);
      status = row->check(log, options);
    } else {
      report(log, msg::CHK0054I, row->displayName);
    }
    if (status != 0) result = 2;
    writeLineEnd(log);
  }
  return result;
}
