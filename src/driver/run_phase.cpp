#include "driver/run_phase.h"

#include "checks/component_table.h"
#include "config/discovery.h"
#include "config/path_utils.h"
#include "config/variable_store.h"
#include "driver/message.h"
#include "scan/version_scanner.h"

namespace {

constexpr const char* DefaultScanMasks = "zor*.exe;zor*.dll";

void displayVariables(ReportLog& log, const Str& variableList) {
  Tokenizer names(variableList, ';', true);
  for (Str name = names.nextToken(); !name.empty(); name = names.nextToken()) {
    VariableOrigin origin = VariableOrigin::NotSet;
    // The value is shown from where it is stored: a value of any size is
    // held once more only in the message that shows it.
    Str scratch;
    const Str& value = lookupVariableInPlace(name, LookupMode::All, &origin, scratch);
    switch (origin) {
      case VariableOrigin::Environment:
        report(log, msg::CHK0102I, name, value);
        break;
      case VariableOrigin::Profile:
        report(log, msg::CHK0103I, name, value);
        break;
      case VariableOrigin::ProductDefault:
        report(log, msg::CHK0104I, name, value);
        break;
      case VariableOrigin::NotSet:
        report(log, msg::CHK0101I, name);
        break;
    }
  }
}

void scanFiles(ReportLog& log, const CheckOptions& options, const Str& givenMasks) {
  report(log, msg::CHK0050I, "File version");
  const Str masks = givenMasks.empty() ? Str(DefaultScanMasks) : givenMasks;
  Str defaultPath;
  if (givenMasks.empty()) {
    defaultPath = options.productPath;
    if (options.dllDirectory != options.productPath) {
      defaultPath = joinPathList(options.productPath, options.dllDirectory);
    }
  }
  if (scanVersionStrings(log, defaultPath, masks) == 0) report(log, msg::CHK0067I, masks);
}

}  // namespace

std::int32_t runPhase(ReportLog& log, CheckOptions& options, const RunSwitches& switches) {
  std::int32_t result = discoverInstallation(log, options);
  writeLineEnd(log);
  if (result != 0) return result;

  if (!switches.variableList.empty()) {
    displayVariables(log, switches.variableList);
    writeLineEnd(log);
  } else if (switches.scanMode) {
    scanFiles(log, options, switches.scanMasks);
    writeLineEnd(log);
  } else {
    result = runComponentChecks(log, options, switches.updateMode);
  }
  return result;
}

void endRunPhase() {
  releaseVariableStore();
}
