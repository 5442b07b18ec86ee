// The command line: usage errors, option effects and the start and closing
// lines of a run.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const std::vector<std::string> UsageText = {
    "Usage: zorivt [-option [argument] ... ]",
    "",
    "       The following options are valid:",
    "",
    "       -21                 Perform checks for Corvanta Version 2.1",
    "       -22                 Perform checks for Corvanta Version 2.2",
    "       -23                 Perform checks for Corvanta Version 2.3",
    "       -f cv_profile       Use another than the default profile",
    "       -e                  Display only error messages",
    "       -i                  Display also informational messages",
    "       -d                  Write debug messages (implies -i)",
    "       -u [etc_directory]  Update TCP/IP services file",
    "       -s [filemask;...]   Scan files for version string",
    "       -v var [;var...]    Display value of variables",
    "       -t                  Test QuorLink availability (TCP/IP only)",
    "",
};

}  // namespace

TEST(CommandLine, BadCommandLinesPrintTheUsageAndLeaveTheLogAlone) {
  TestMachine machine;
  machine.file("drive_c/zorivt.log", "an earlier run\n");
  for (std::vector<std::string> args : {std::vector<std::string>{"-x"},
                                        {"/?"},
                                        {"-f"},
                                        {"--", "x"},
                                        {"word"},
                                        {"-2999"},
                                        {"/"},
                                        {"-i", "-v"}}) {
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 1) << run.command;
    EXPECT_ERR(run, UsageText);
    EXPECT_OUT(run, {});
    EXPECT_EQ(machine.read("drive_c/zorivt.log"), "an earlier run\n") << run.command;
  }
}

// Without arguments the full check runs at the default threshold: the start
// lines name version 2.30 and the absolute lower-case log path, every
// component of the table gets its block, and the closing line ends the log.
TEST(CommandLine, NoArgumentsRunsTheFullCheck) {
  TestMachine machine;
  machine.workingDirectory("drive_c/Prod/Run");
  RunResult run = machine.run({});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LOG(run, e2e::emptyMachineLog("c:\\prod\\run"));
  EXPECT_ERR(run, {});
}

// "-2" builds the version from "2" and the argument's leading digits; a
// two-digit result is taken as tenths ("-23" is 2.30).
TEST(CommandLine, VersionOptionTakesTheLeadingDigitsOfItsArgument) {
  TestMachine machine;
  for (auto [args, version] :
       {std::pair<std::vector<std::string>, const char*>{{"-2", "31"}, "2.31"},
        {{"-23"}, "2.30"}}) {
    args.insert(args.end(), {"-v", "ZOR_LANG"});
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 0) << run.command;
    std::vector<std::string> expected = e2e::startLines("c:\\zorivt.log", version);
    for (const char* line : {"CHK0080A: Registry does not contain an entry for Corvanta.",
                             "CHK0061A: Assuming current directory c:\\ as product path.",
                             "CHK0062R: Corvanta profile zorpzcfg.prf not found.", "",
                             "CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).", "",
                             "CHK0999I: Configuration-checking utility ended."}) {
      expected.push_back(line);
    }
    EXPECT_LOG(run, expected);
  }
}

// "-f" appends ".prf" to a name without extension and keeps any other name.
TEST(CommandLine, ProfileOptionAppendsPrfOnlyWithoutExtension) {
  TestMachine machine;
  machine.file("drive_c/myprof.prf", "ZOR_USERID = prf\n")
      .file("drive_c/myprof.cfg", "ZOR_USERID = cfg\n");
  RunResult run = machine.run({"-f", "myprof", "-v", "ZOR_USERID"});
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\", {"CHK0063I: Corvanta profile used: c:\\myprof.prf."}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is 'prf' (set in the profile)."});
  run = machine.run({"-f", "myprof.cfg", "-v", "ZOR_USERID"});
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\", {"CHK0063I: Corvanta profile used: c:\\myprof.cfg."}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is 'cfg' (set in the profile)."});
}

// "--" ends the options without a complaint; the options before it apply.
TEST(CommandLine, DoubleDashEndsTheOptionsSilently) {
  TestMachine machine;
  RunResult run = machine.run({"-v", "ZOR_LANG", "--"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_ERR(run, {});
  EXPECT_BLOCK(run, {"CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default)."});
}

// A log file that cannot be created (a directory holds its name) is
// reported on the console, and the run still goes to its end.
TEST(CommandLine, UncreatableLogIsReportedAndTheRunGoesOn) {
  TestMachine machine;
  machine.directory("drive_c/zorivt.log");
  RunResult run = machine.run({"-e"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_OUT(run, {"CHK0000I*", "CHK0001I: Performing Corvanta V2.30 checks.", "",
                   "CHK0050I: ===> Setup checks.",
                   "CHK0007R: Cannot open file 'c:\\zorivt.log' for writing.",
                   "CHK0062R: Corvanta profile zorpzcfg.prf not found.", "",
                   "CHK0050I: ===> General checks.", "CHK0011R: Variable ZOR_FILES is not set.", "",
                   "CHK0999I: Configuration-checking utility ended."});
}
