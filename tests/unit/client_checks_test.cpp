#include "checks/client_checks.h"

#include <gtest/gtest.h>

#include "checks/database_checks.h"
#include "config/variable_store.h"
#include "test_machine.h"

namespace {

/// Checks the help file of the ENU build-time client in c:\corvanta and
/// returns what was reported.
std::vector<std::string> checkHelpFile(TestMachine& machine) {
  {
    ReportLog log("zorivt.log", ThresholdUpdate);
    checkProductFile(log, "c:\\corvanta", "HELP", "zorphb", "enu", ".hlp", "B/T help");
  }
  return machine.readLines("drive_c/zorivt.log");
}

}  // namespace

// Missing from the product directory with HELP unset, the help file is
// reported with its full path. With HELP set, a file in none of its
// directories is reported with the directory and the variable it was
// searched in; one in a HELP directory is found.
TEST(ProductFile, SearchedInTheProductDirectoryAndAlongTheSearchVariable) {
  TestMachine machine;
  {
    ScopedEnvironment help("HELP", nullptr);
    EXPECT_EQ(checkHelpFile(machine),
              std::vector<std::string>{
                  "CHK0008R: The B/T help file 'c:\\corvanta\\zorphbenu.hlp' does not exist."});
  }
  machine.directory("drive_c/help");
  const std::string list = "c:\\nohelp;" + machine.windowsPath("drive_c/help");
  ScopedEnvironment help("HELP", list.c_str());
  EXPECT_EQ(checkHelpFile(machine),
            std::vector<std::string>{"CHK0108R: The B/T help file 'zorphbenu.hlp' cannot be "
                                     "found in c:\\corvanta or in HELP."});
  machine.file("drive_c/help/ZorphbENU.hlp", "");
  EXPECT_EQ(checkHelpFile(machine), std::vector<std::string>{});
}

// The build-time client's files are named with ZOR_LANG in lower case, the
// product default EU when it is set nowhere.
TEST(ProductFile, BuildtimeClientFileNamesFollowZorLang) {
  TestMachine machine;
  ScopedEnvironment help("HELP", nullptr);
  ScopedEnvironment path("PATH", nullptr);
  CheckOptions options;
  options.productPath = options.dllDirectory = "c:\\corvanta";
  {
    // The database-client part runs once a run; let it run here, unseen.
    ReportLog log(nullptr, ThresholdUpdate);
    resetDatabaseClientCheckForTests();
    checkDatabaseClient(log, options);
  }
  for (auto [language, suffix] :
       {std::pair<const char*, const char*>{nullptr, "eu"}, {"ENU", "enu"}}) {
    ScopedEnvironment lang("ZOR_LANG", language);
    releaseVariableStore();
    {
      ReportLog log("zorivt.log", ThresholdUpdate);
      checkBuildtimeClient(log, options);
    }
    const std::string s = suffix;
    EXPECT_EQ(
        machine.readLines("drive_c/zorivt.log"),
        (std::vector<std::string>{
            "CHK0008R: The B/T resource file 'c:\\corvanta\\zorprb" + s + ".dll' does not exist.",
            "CHK0008R: The B/T help file 'c:\\corvanta\\zorphb" + s + ".hlp' does not exist.",
            "CHK0008R: The VRK/9 definition file 'c:\\corvanta\\zorpmp" + s +
                ".df' does not exist.",
            "CHK0008R: The VRK/9 resource file 'c:\\corvanta\\zorgo" + s +
                ".dll' does not exist."}))
        << (language ? language : "ZOR_LANG unset");
  }
  releaseVariableStore();
}
