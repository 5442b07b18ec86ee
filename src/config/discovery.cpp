#include "config/discovery.h"

#include "config/path_utils.h"
#include "config/profile.h"
#include "config/registry_key.h"
#include "driver/message.h"

namespace {
constexpr std::int32_t LowestSupportedVersion = 230;
}

std::int32_t discoverInstallation(ReportLog& log, CheckOptions& options) {
  if (options.version < LowestSupportedVersion) {
    report(log, msg::CHK0058R, options.version / 100, (options.version % 100) / 10, "Windows NT");
    return 1;
  }

  RegistryKeyHandle registry;
  Str directory;
  if (registry->openPath(ProductRegistryKey)) {
    directory = registry->queryString(ProductRegistrySubKey, "Directory");
  }
  if (directory.empty()) {
    report(log, msg::CHK0080A, "Registry", "Corvanta");
  } else {
    directory.toLower();
    Str bin = joinPath(directory, "bin");
    if (isDirectory(bin)) {
      options.productPath = directory;
    } else {
      report(log, msg::CHK0009A, "Corvanta", bin);
    }
  }
  if (options.productPath.empty()) {
    options.productPath = currentDirectory();
    report(log, msg::CHK0061A, options.productPath);
  }
  options.dllDirectory = options.productPath;

  if (readProfile(log, options.productPath, options.profileName) != ProfileNotFound) {
    checkProfileAccess(log, options.profileName);
  }
  return 0;
}
