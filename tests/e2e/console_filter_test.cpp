// The console filter: which lines of a run reach standard output under each
// display threshold, while the log file keeps everything but debug lines
// (and those too under -d).
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const char* const Closing = "CHK0999I: Configuration-checking utility ended.";

std::vector<std::string> fullLog(bool debug) {
  return e2e::emptyMachineLog("c:\\", debug);
}

}  // namespace

// By default the console shows attention, error and always-shown lines and
// the empty separator lines; information lines go to the log only.
TEST(ConsoleFilter, DefaultShowsAttentionAndErrors) {
  TestMachine machine;
  RunResult run = machine.run({});
  EXPECT_OUT(run, {"CHK0000I*", "CHK0001I: Performing Corvanta V2.30 checks.", "",
                   "CHK0050I: ===> Setup checks.", "CHK0056I: Writing log file c:\\zorivt.log.",
                   "CHK0080A: Registry does not contain an entry for Corvanta.",
                   "CHK0061A: Assuming current directory c:\\ as product path.",
                   "CHK0062R: Corvanta profile zorpzcfg.prf not found.", "",
                   "CHK0050I: ===> General checks.", "CHK0011R: Variable ZOR_FILES is not set.", "",
                   Closing});
  EXPECT_LOG(run, fullLog(false));
}

// -e keeps attention lines off the console, but not errors or the empty
// separator lines; "-ie" is -e, the later option winning.
TEST(ConsoleFilter, ErrorsOnlyKeepsAttentionLinesOffTheConsole) {
  TestMachine machine;
  const std::vector<std::string> console = {"CHK0000I*",
                                            "CHK0001I: Performing Corvanta V2.30 checks.",
                                            "",
                                            "CHK0050I: ===> Setup checks.",
                                            "CHK0056I: Writing log file c:\\zorivt.log.",
                                            "CHK0062R: Corvanta profile zorpzcfg.prf not found.",
                                            "",
                                            "CHK0050I: ===> General checks.",
                                            "CHK0011R: Variable ZOR_FILES is not set.",
                                            "",
                                            Closing};
  for (const char* option : {"-e", "-ie"}) {
    RunResult run = machine.run({option});
    EXPECT_OUT(run, console);
    EXPECT_LOG(run, fullLog(false));
  }
}

// -i shows every line of the log on the console, but a debug line, whose id
// equals the -i threshold, reaches neither.
TEST(ConsoleFilter, InformationShowsAllButDebugLines) {
  TestMachine machine;
  RunResult run = machine.run({"-i"});
  EXPECT_OUT(run, fullLog(false));
  EXPECT_LOG(run, fullLog(false));
}

// -d adds the debug lines to both the console and the log.
TEST(ConsoleFilter, DebugShowsAndLogsDebugLines) {
  TestMachine machine;
  RunResult run = machine.run({"-d"});
  EXPECT_OUT(run, fullLog(true));
  EXPECT_LOG(run, fullLog(true));
}

// Under -u the console shows none of the start lines nor any separator
// line; the log has the run, without debug lines even with -d.
TEST(ConsoleFilter, UpdateModeShowsNothingOfTheStartLines) {
  TestMachine machine;
  for (std::vector<std::string> args : {std::vector<std::string>{"-u"}, {"-u", "-d"}}) {
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 0) << run.command;
    EXPECT_OUT(run, {});
    std::vector<std::string> log = e2e::startLines("c:\\zorivt.log");
    for (const char* line :
         {"CHK0080A: Registry does not contain an entry for Corvanta.",
          "CHK0061A: Assuming current directory c:\\ as product path.",
          "CHK0062R: Corvanta profile zorpzcfg.prf not found.", "",
          "CHK0052I: ===> QuorLink Server (zorpisrv.exe) not installed.", "", Closing}) {
      log.push_back(line);
    }
    EXPECT_LOG(run, log);
  }
}
