// The command line: usage errors, the display threshold of the console and
// the start and closing lines of a run. How each option is read is the
// option scanner's unit test.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;
using Lines = std::vector<std::string>;

namespace {

const char* const Closing = "CHK0999I: Configuration-checking utility ended.";

const Lines UsageText = {
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
  for (const Lines& args :
       {Lines{"-x"}, {"/?"}, {"-f"}, {"--", "x"}, {"word"}, {"-2999"}, {"/"}, {"-i", "-v"}}) {
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 1) << run.command;
    EXPECT_ERR(run, UsageText);
    EXPECT_OUT(run, {});
    EXPECT_EQ(machine.read("drive_c/zorivt.log"), "an earlier run\n") << run.command;
  }
}

// Without arguments the full check runs: the start lines name version 2.30
// and the absolute lower-case log path (an earlier, longer log is replaced),
// every component gets its block and the closing line ends the log. The
// console shows attention, error and always-shown lines and the separators;
// -e leaves out the attention lines ("-ie" is -e, the later option winning);
// -i shows all but debug lines, which -d adds to the console and the log.
TEST(CommandLine, TheThresholdChoosesTheConsoleLinesAndTheLogKeepsAll) {
  TestMachine machine;
  machine.workingDirectory("drive_c/Prod/Run")
      .file("drive_c/Prod/Run/zorivt.log", std::string(5000, 'x') + "\n");
  const Lines log = e2e::emptyMachineLog("c:\\prod\\run");
  const Lines debugLog = e2e::emptyMachineLog("c:\\prod\\run", true);
  const Lines errors = {"CHK0000I*",
                        "CHK0001I: Performing Corvanta V2.30 checks.",
                        "",
                        "CHK0050I: ===> Setup checks.",
                        "CHK0056I: Writing log file c:\\prod\\run\\zorivt.log.",
                        "CHK0062R: Corvanta profile zorpzcfg.prf not found.",
                        "",
                        "CHK0050I: ===> General checks.",
                        "CHK0011R: Variable ZOR_FILES is not set.",
                        "",
                        Closing};
  Lines attention = errors;
  attention.insert(attention.begin() + 5,
                   {"CHK0080A: Registry does not contain an entry for Corvanta.",
                    "CHK0061A: Assuming current directory c:\\prod\\run as product path."});
  for (const auto& [args, console] : std::vector<std::pair<Lines, Lines>>{{{}, attention},
                                                                          {{"-e"}, errors},
                                                                          {{"-ie"}, errors},
                                                                          {{"-i"}, log},
                                                                          {{"-d"}, debugLog}}) {
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 0) << run.command;
    EXPECT_OUT(run, console);
    EXPECT_LOG(run, args == Lines{"-d"} ? debugLog : log);
    EXPECT_ERR(run, {});
  }
}

// Under -u the console shows none of the start lines nor any separator
// line; the log has the run, without debug lines even with -d.
TEST(CommandLine, UpdateModeShowsNothingOfTheStartLines) {
  TestMachine machine;
  for (const Lines& args : {Lines{"-u"}, Lines{"-u", "-d"}}) {
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 0) << run.command;
    EXPECT_OUT(run, {});
    Lines log = e2e::startLines("c:\\zorivt.log");
    log.insert(log.end(),
               {"CHK0080A: Registry does not contain an entry for Corvanta.",
                "CHK0061A: Assuming current directory c:\\ as product path.",
                "CHK0062R: Corvanta profile zorpzcfg.prf not found.", "",
                "CHK0052I: ===> QuorLink Server (zorpisrv.exe) not installed.", "", Closing});
    EXPECT_LOG(run, log);
  }
}

// A log file that cannot be created (a directory holds its name) is
// reported on the console, and the run still goes to its end.
TEST(CommandLine, UncreatableLogIsReportedAndTheRunGoesOn) {
  TestMachine machine;
  machine.directory("drive_c/zorivt.log");
  RunResult run = machine.run({"-e"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_OUT(
      run,
      {"CHK0000I*", "CHK0001I: Performing Corvanta V2.30 checks.", "",
       "CHK0050I: ===> Setup checks.", "CHK0007R: Cannot open file 'c:\\zorivt.log' for writing.",
       "CHK0062R: Corvanta profile zorpzcfg.prf not found.", "", "CHK0050I: ===> General checks.",
       "CHK0011R: Variable ZOR_FILES is not set.", "", Closing});
}
