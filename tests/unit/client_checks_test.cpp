#include "checks/client_checks.h"

#include <gtest/gtest.h>

#include "checks/database_checks.h"
#include "config/variable_store.h"
#include "test_machine.h"

namespace {

/// Checks the help file of the ENU build-time client in c:\corvanta and
/// returns what was reported.
std::vector<std::string> checkHelpFile() {
  ReportLog::Text text;
  ReportLog log(text, ThresholdUpdate);
  checkProductFile(log, "c:\\corvanta", "HELP", "zorphb", "enu", ".hlp", "B/T help");
  return test_support::splitLines(text.file);
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
    EXPECT_EQ(checkHelpFile(),
              std::vector<std::string>{
                  "CHK0008R: The B/T help file 'c:\\corvanta\\zorphbenu.hlp' does not exist."});
  }
  machine.directory("drive_c/help");
  const std::string list = "c:\\nohelp;" + machine.windowsPath("drive_c/help");
  ScopedEnvironment help("HELP", list.c_str());
  EXPECT_EQ(checkHelpFile(),
            std::vector<std::string>{"CHK0108R: The B/T help file 'zorphbenu.hlp' cannot be "
                                     "found in c:\\corvanta or in HELP."});
  machine.file("drive_c/help/ZorphbENU.hlp", "");
  EXPECT_EQ(checkHelpFile(), std::vector<std::string>{});
}

// The build-time client's files are named with ZOR_LANG in lower case, the
// product default EU when it is set nowhere.
TEST(ProductFile, BuildtimeClientFileNamesFollowZorLang) {
  TestMachine machine;
  ScopedEnvironment help("HELP", nullptr);
  ScopedEnvironment path("PATH", nullptr);
  CheckOptions options;
  options.productPath = options.dllDirectory = "c:\\corvanta";
  for (auto [language, suffix] :
       {std::pair<const char*, const char*>{nullptr, "eu"}, {"ENU", "enu"}}) {
    ScopedEnvironment lang("ZOR_LANG", language);
    releaseVariableStore();
    ReportLog::Text text;
    {
      ReportLog log(text, ThresholdUpdate);
      // The database-client part comes once a run; let it come here, unseen.
      checkDatabaseClient(log, options);
      const std::size_t seen = text.file.size();
      checkBuildtimeClient(log, options);
      text.file.erase(0, seen);
    }
    const std::string s = suffix;
    EXPECT_EQ(
        test_support::splitLines(text.file),
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
