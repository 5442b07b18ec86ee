// The check driver: which components are installed (by their executable in
// the home directory or along PATH), in table order, each in its block.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {
const char* const Closing = "CHK0999I: Configuration-checking utility ended.";
}

// Components are known by their fourth-column executable: the first-column
// names of the R/T and B/T clients and the Shutdown GUI's name count for
// nothing. "General" is always checked, a found component without a check
// routine gets CHK0054I, and every block ends with an empty line.
TEST(ComponentDriver, ComponentsAreCheckedInTableOrderByTheirExecutable) {
  TestMachine machine;
  for (const char* name :
       {"zorpisrv.exe", "zorbxcli.exe", "zorpssrt.exe", "zorpssbt.exe", "zorpsqui.exe"}) {
    machine.file(std::string("drive_c/") + name, "");
  }
  RunResult run = machine.run({});
  EXPECT_EQ(run.exitStatus, 0);
  std::vector<std::string> expected = e2e::startLines("c:\\zorivt.log");
  for (const char* line : {
           "CHK0080A: Registry does not contain an entry for Corvanta.",
           "CHK0061A: Assuming current directory c:\\ as product path.",
           "CHK0062R: Corvanta profile zorpzcfg.prf not found.",
           "",
           "CHK0050I: ===> General checks.",
           "CHK0055I: The operating system is Windows NT 4.00.",
           "CHK0011R: Variable ZOR_FILES is not set.",
           "CHK0083I: Tracing is disabled (0, 0, 0).",
           "",
           "CHK0052I: ===> Database Server (osserver.exe) not installed.",
           "",
           "CHK0051I: ===> QuorLink Server found, checks started.",
           "CHK0013I: Variable ZOR_VERSION_CHECK = NO.",
           "",
           "CHK0052I: ===> R/T Server (zorpesrv.exe) not installed.",
           "",
           "CHK0052I: ===> Bundle Server (zorposrv.exe) not installed.",
           "",
           "CHK0052I: ===> Notification Server (zorpwess.exe) not installed.",
           "",
           "CHK0052I: ===> Delivery Server (zorpedes.exe) not installed.",
           "",
           "CHK0052I: ===> R/T Client (zorbssrt.exe) not installed.",
           "",
           "CHK0054I: ===> Execution Client found, no checks defined.",
           "",
           "CHK0052I: ===> Bundle Client (zorbobcl.exe) not installed.",
           "",
           Closing,
       }) {
    expected.push_back(line);
  }
  EXPECT_LOG(run, expected);
}

// An executable found only in a PATH directory counts as installed.
TEST(ComponentDriver, ExecutableOnPathCountsAsInstalled) {
  TestMachine machine;
  machine.file("drive_c/tools/ZORBSSRT.EXE", "").env("PATH", "c:\\bin;c:\\tools");
  RunResult run = machine.run({});
  EXPECT_BLOCK(run, {"CHK0051I: ===> R/T Client found, checks started.",
                     "CHK0219R: QuorLink not installed, checking anyway.",
                     "CHK0201I: ==> Checking server LOCAL (LOCAL)."});
}

// The ObjectStore server is searched in OS_ROOTDIR\bin when OS_ROOTDIR is
// set, never in the product path; without OS_ROOTDIR in the product path.
TEST(ComponentDriver, DatabaseServerIsSearchedBelowOsRootdir) {
  TestMachine machine;
  machine.file("drive_c/osserver.exe", "")
      .directory("drive_c/ostore")
      .env("OS_ROOTDIR", "c:\\ostore");
  RunResult run = machine.run({});
  EXPECT_BLOCK(run, {"CHK0052I: ===> Database Server (osserver.exe) not installed."});

  machine.file("drive_c/ostore/bin/osserver.exe", "");
  run = machine.run({});
  EXPECT_BLOCK(run, {"CHK0051I: ===> Database Server found, checks started.",
                     "CHK0011R: Variable TMP is not set.",
                     "CHK0080A: Registry does not contain an entry for OSServer Log File."});

  machine.unsetEnv("OS_ROOTDIR").env("TMP", "c:\\Temp");
  run = machine.run({});
  EXPECT_BLOCK(run, {"CHK0051I: ===> Database Server found, checks started.",
                     "CHK0011R: Variable OS_ROOTDIR is not set.",
                     "CHK0009A: The TMP directory c:\\Temp does not exist.",
                     "CHK0080A: Registry does not contain an entry for OSServer Log File."});
}

// -u walks only the QuorLink server: not installed, it is reported so; found,
// with the local protocol only, its update block is the header alone.
TEST(ComponentDriver, UpdateModeRunsOnlyTheQuorLinkUpdate) {
  TestMachine machine;
  machine.file("drive_c/zorbxcli.exe", "");
  RunResult run = machine.run({"-u"});
  EXPECT_EQ(run.exitStatus, 0);
  ASSERT_GE(run.log.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(run.log.end() - 4, run.log.end()),
            (std::vector<std::string>{
                "", "CHK0052I: ===> QuorLink Server (zorpisrv.exe) not installed.", "", Closing}));

  machine.file("drive_c/zorpisrv.exe", "").env("ZOR_PROTOCOL", "LOC");
  run = machine.run({"-u"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_OUT(run, {});
  ASSERT_GE(run.log.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(run.log.end() - 4, run.log.end()),
            (std::vector<std::string>{
                "", "CHK0053I: ===> Configuration updates for QuorLink Server.", "", Closing}));
}
