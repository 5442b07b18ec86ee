// Installation discovery: the version gate and the product directory from
// the registry, with the current directory as the fallback.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const char* const ProductKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\n";

/// The setup block of a run in c:\work whose product directory is
/// c:\corvanta, where the profile lies.
std::vector<std::string> setupInProductDirectory() {
  return {"CHK0050I: ===> Setup checks.", "CHK0056I: Writing log file c:\\work\\zorivt.log.",
          "CHK0063I: Corvanta profile used: c:\\corvanta\\zorpzcfg.prf."};
}

}  // namespace

// Versions below 2.3 are refused after the start lines: no activity runs and
// the run ends with status 1 after the closing line. "-2x" has no digits and
// gives version 0.2.
TEST(Discovery, VersionBelow23IsRefused) {
  TestMachine machine;
  machine.file("drive_c/zorbxcli.exe", "");
  for (auto [option, version, refused] :
       {std::tuple<const char*, const char*, const char*>{"-21", "2.10", "V2.1"},
        {"-22", "2.20", "V2.2"},
        {"-2x", "0.20", "V0.2"}}) {
    RunResult run = machine.run({option});
    EXPECT_EQ(run.exitStatus, 1) << run.command;
    std::vector<std::string> expected = e2e::startLines("c:\\zorivt.log", version);
    expected.push_back(std::string("CHK0058R: There is no Corvanta ") + refused +
                       " for Windows NT.");
    expected.push_back("");
    expected.push_back("CHK0999I: Configuration-checking utility ended.");
    EXPECT_LOG(run, expected);
  }
}

// Without a registry entry the current directory, in lower case, is the
// product path.
TEST(Discovery, MissingRegistryEntryFallsBackToTheCurrentDirectory) {
  TestMachine machine;
  machine.workingDirectory("drive_c/Work").file("drive_c/Work/zorpzcfg.prf", "");
  RunResult run = machine.run({"-v", "ZOR_LANG"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\work", {"CHK0063I: Corvanta profile used: "
                                                 "c:\\work\\zorpzcfg.prf."}));
}

// The registry's directory, written in capitals, is the product path in
// lower case: the profile is found there.
TEST(Discovery, RegistryDirectoryIsTheLowerCaseProductPath) {
  TestMachine machine;
  machine.registry(std::string(ProductKey) + "\"Directory\"=\"C:\\\\CORVANTA\"\n")
      .directory("drive_c/corvanta/bin")
      .file("drive_c/corvanta/zorpzcfg.prf", "")
      .workingDirectory("drive_c/work");
  RunResult run = machine.run({"-v", "ZOR_LANG"});
  EXPECT_BLOCK(run, setupInProductDirectory());
}

// A directory ending in a backslash still finds its bin folder.
TEST(Discovery, DirectoryEndingInABackslashFindsItsBin) {
  TestMachine machine;
  machine.registry(std::string(ProductKey) + "\"Directory\"=\"c:\\\\corvanta\\\\\"\n")
      .directory("drive_c/corvanta/bin")
      .file("drive_c/corvanta/zorpzcfg.prf", "")
      .workingDirectory("drive_c/work");
  RunResult run = machine.run({"-v", "ZOR_LANG"});
  EXPECT_BLOCK(run, setupInProductDirectory());
}

// A registry directory without its bin folder is reported and the current
// directory is taken instead.
TEST(Discovery, DirectoryWithoutBinFallsBackToTheCurrentDirectory) {
  TestMachine machine;
  machine.registry(std::string(ProductKey) + "\"Directory\"=\"C:\\\\Corvanta\"\n")
      .file("drive_c/corvanta/zorpzcfg.prf", "")
      .workingDirectory("drive_c/work");
  RunResult run = machine.run({"-v", "ZOR_LANG"});
  EXPECT_BLOCK(run,
               {"CHK0050I: ===> Setup checks.", "CHK0056I: Writing log file c:\\work\\zorivt.log.",
                "CHK0009A: The Corvanta directory c:\\corvanta\\bin does not exist.",
                "CHK0061A: Assuming current directory c:\\work as product path.",
                "CHK0062R: Corvanta profile zorpzcfg.prf not found."});
}
