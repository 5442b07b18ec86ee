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
  for (std::vector<std::string> args : {std::vector<std::string>{"-x"}, {"/?"}, {"-f"}, {"--", "x"},
                                        {"word"}, {"-2999"}, {"/"}, {"-i", "-v"}}) {
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 1) << run.command;
    EXPECT_ERR(run, UsageText);
    EXPECT_OUT(run, {});
    EXPECT_EQ(machine.read("drive_c/zorivt.log"), "an earlier run\n") << run.command;
  }
}
