// The variable display (-v): each name with its value and origin, and no
// component check.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

/// The end of a display run's log: the separator after discovery, the one
/// display line, the separator after the display and the closing line.
const std::vector<std::string> LangOnly = {
    "", "CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).", "",
    "CHK0999I: Configuration-checking utility ended."};

std::vector<std::string> lastLines(const RunResult& run, std::size_t count) {
  if (run.log.size() < count) return run.log;
  return std::vector<std::string>(run.log.end() - static_cast<std::ptrdiff_t>(count),
                                  run.log.end());
}

}  // namespace

// Each origin has its message; a product default whose variable is set in
// the environment shows the environment's value.
TEST(VariableDisplay, EachOriginHasItsMessage) {
  TestMachine machine;
  machine.file("drive_c/zorpzcfg.prf", "ZOR_PASSWORD = secret\n")
      .env("ZOR_USERID", "admin")
      .env("ZOR_NOTIF_INT", "90");
  RunResult run = machine.run({"-v", "ZOR_USERID;ZOR_PASSWORD;ZOR_LANG;ZOR_TIMEOUT;ZOR_NOTIF_INT"});
  EXPECT_EQ(run.exitStatus, 0);
  const std::vector<std::string> display = {
      "CHK0102I: Variable ZOR_USERID is 'admin' (set in the environment).",
      "CHK0103I: Variable ZOR_PASSWORD is 'secret' (set in the profile).",
      "CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).",
      "CHK0101I: Variable 'ZOR_TIMEOUT' is not set.",
      "CHK0102I: Variable ZOR_NOTIF_INT is '90' (set in the environment)."};
  EXPECT_BLOCK(run, display);
  // The display lines reach the console at the default threshold.
  ASSERT_GE(run.out.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(run.out.end() - 7, run.out.end() - 2), display);
}

// Names are trimmed and empty pieces of the list, also at its end, show
// nothing.
TEST(VariableDisplay, EmptyPiecesOfTheListAreSkipped) {
  TestMachine machine;
  RunResult run = machine.run({"-v", "ZOR_LANG;; ZOR_PROTOCOL "});
  EXPECT_BLOCK(run, {"CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).",
                     "CHK0104I: Variable ZOR_PROTOCOL is 'LOC' (Corvanta default)."});
  run = machine.run({"-v", "ZOR_LANG;;"});
  EXPECT_EQ(lastLines(run, 4), LangOnly) << run.command;
}

// With both -v and -s only the display runs.
TEST(VariableDisplay, DisplayWinsOverTheScan) {
  TestMachine machine;
  RunResult run = machine.run({"-v", "ZOR_LANG", "-s"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(lastLines(run, 4), LangOnly) << run.command;
}

// With -v and -u no component check or update runs, and the console, held
// at the -u threshold, stays empty.
TEST(VariableDisplay, UpdateModeRunsNoComponentCheck) {
  TestMachine machine;
  machine.file("drive_c/zorpisrv.exe", "");
  RunResult run = machine.run({"-u", "-v", "ZOR_LANG"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_OUT(run, {});
  EXPECT_EQ(lastLines(run, 4), LangOnly) << run.command;
}
