// The variable display (-v): each name with its value and origin, and no
// component check.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

// Each origin has its message; a product default whose variable is set in
// the environment shows the environment's value. Names are trimmed and empty
// pieces of the list, also at its end, show nothing. The display lines reach
// the console at the default threshold.
TEST(VariableDisplay, EachOriginHasItsMessage) {
  TestMachine machine;
  machine.file("drive_c/zorpzcfg.prf", "ZOR_PASSWORD = secret\n")
      .env("ZOR_USERID", "admin")
      .env("ZOR_NOTIF_INT", "90");
  RunResult run =
      machine.run({"-v", "ZOR_USERID;; ZOR_PASSWORD ;ZOR_LANG;ZOR_TIMEOUT;ZOR_NOTIF_INT;;"});
  EXPECT_EQ(run.exitStatus, 0);
  const std::vector<std::string> display = {
      "CHK0102I: Variable ZOR_USERID is 'admin' (set in the environment).",
      "CHK0103I: Variable ZOR_PASSWORD is 'secret' (set in the profile).",
      "CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).",
      "CHK0101I: Variable 'ZOR_TIMEOUT' is not set.",
      "CHK0102I: Variable ZOR_NOTIF_INT is '90' (set in the environment)."};
  EXPECT_BLOCK(run, 0, display);
  ASSERT_GE(run.out.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(run.out.end() - 7, run.out.end() - 2), display);
}

// With -s or -u as well only the display runs: no scan, no component check
// and no update; under -u the console stays empty.
TEST(VariableDisplay, OnlyTheDisplayRuns) {
  TestMachine machine;
  machine.file("drive_c/zorpisrv.exe", "");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-v", "ZOR_LANG", "-s"}, {"-u", "-v", "ZOR_LANG"}}) {
    RunResult run = machine.run(args);
    EXPECT_EQ(run.exitStatus, 0) << run.command;
    ASSERT_GE(run.log.size(), 4u);
    EXPECT_EQ(
        std::vector<std::string>(run.log.end() - 4, run.log.end()),
        (std::vector<std::string>{"", "CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).", "",
                                  "CHK0999I: Configuration-checking utility ended."}))
        << run.command;
    if (args[0] == "-u") EXPECT_OUT(run, {});
  }
}
