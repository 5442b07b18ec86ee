// The check driver: which components are installed (by their executable in
// the home directory or along PATH), in table order, each in its block.
#include <algorithm>

#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;
using Lines = std::vector<std::string>;

// Components are known by their fourth-column executable: the first-column
// names of the R/T and B/T clients and the Shutdown GUI's name count for
// nothing. "General" is always checked, a found component without a check
// routine gets CHK0054I, and every block ends with an empty line: the log is
// that of an empty machine but for the two found components' blocks.
TEST(ComponentDriver, ComponentsAreCheckedInTableOrderByTheirExecutable) {
  TestMachine machine;
  for (const char* name :
       {"zorpisrv.exe", "zorbxcli.exe", "zorpssrt.exe", "zorpssbt.exe", "zorpsqui.exe"}) {
    machine.file(std::string("drive_c/") + name, "");
  }
  RunResult run = machine.run({});
  EXPECT_EQ(run.exitStatus, 0);
  Lines expected = e2e::emptyMachineLog("c:\\");
  auto replace = [&expected](const std::string& line, const Lines& by) {
    auto at = std::find(expected.begin(), expected.end(), line);
    ASSERT_NE(at, expected.end()) << line;
    expected.insert(expected.erase(at), by.begin(), by.end());
  };
  replace("CHK0052I: ===> QuorLink Server (zorpisrv.exe) not installed.",
          {"CHK0051I: ===> QuorLink Server found, checks started.",
           "CHK0013I: Variable ZOR_VERSION_CHECK = NO."});
  replace("CHK0052I: ===> Execution Client (zorbxcli.exe) not installed.",
          {"CHK0054I: ===> Execution Client found, no checks defined."});
  EXPECT_LOG(run, expected);
}

// An executable found only in a PATH directory counts as installed. The
// variable's name ignores case, as on Windows, whose environment spells it
// "Path".
TEST(ComponentDriver, ExecutableOnPathCountsAsInstalled) {
  for (const char* name : {"PATH", "Path"}) {
    TestMachine machine;
    machine.file("drive_c/tools/ZORBSSRT.EXE", "").env(name, "c:\\bin;c:\\tools");
    EXPECT_BLOCK(machine.run({}), 0,
                 {"CHK0051I: ===> R/T Client found, checks started.",
                  "CHK0219R: QuorLink not installed, checking anyway.",
                  "CHK0201I: ==> Checking server LOCAL (LOCAL)."});
  }
}

// The ObjectStore server is searched in OS_ROOTDIR\bin when OS_ROOTDIR is
// set, never in the product path; without OS_ROOTDIR in the product path.
TEST(ComponentDriver, DatabaseServerIsSearchedBelowOsRootdir) {
  TestMachine machine;
  machine.file("drive_c/osserver.exe", "")
      .directory("drive_c/ostore")
      .env("OS_ROOTDIR", "c:\\ostore");
  EXPECT_BLOCK(machine.run({}), 0,
               {"CHK0052I: ===> Database Server (osserver.exe) not installed."});

  machine.file("drive_c/ostore/bin/osserver.exe", "");
  EXPECT_BLOCK(machine.run({}), 0,
               {"CHK0051I: ===> Database Server found, checks started.",
                "CHK0011R: Variable TMP is not set.",
                "CHK0080A: Registry does not contain an entry for OSServer Log File."});

  machine.unsetEnv("OS_ROOTDIR").env("TMP", "c:\\Temp");
  EXPECT_BLOCK(machine.run({}), 0,
               {"CHK0051I: ===> Database Server found, checks started.",
                "CHK0011R: Variable OS_ROOTDIR is not set.",
                "CHK0009A: The TMP directory c:\\Temp does not exist.",
                "CHK0080A: Registry does not contain an entry for OSServer Log File."});
}
