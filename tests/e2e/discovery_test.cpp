// Installation discovery: the version gate and the product directory from
// the registry, with the current directory as the fallback.
#include <algorithm>
#include <filesystem>

#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;
using Lines = std::vector<std::string>;

// Versions below 2.3 are refused after the start lines: no activity runs and
// the run ends with status 1 after the closing line. "-2x" has no digits and
// gives version 0.2; "-2 31" is above 2.3 and accepted.
TEST(Discovery, VersionsBelow23AreRefused) {
  TestMachine machine;
  machine.file("drive_c/zorbxcli.exe", "");
  for (auto [option, version, refused] :
       {std::tuple<const char*, const char*, const char*>{"-21", "2.10", "V2.1"},
        {"-22", "2.20", "V2.2"},
        {"-2x", "0.20", "V0.2"}}) {
    RunResult run = machine.run({option});
    EXPECT_EQ(run.exitStatus, 1) << run.command;
    Lines expected = e2e::startLines("c:\\zorivt.log", version);
    expected.insert(expected.end(),
                    {std::string("CHK0058R: There is no Corvanta ") + refused + " for Windows NT.",
                     "", "CHK0999I: Configuration-checking utility ended."});
    EXPECT_LOG(run, expected);
  }
  RunResult run = machine.run({"-2", "31", "-v", "ZOR_LANG"});
  EXPECT_BLOCK(run, 0, {"CHK0001I: Performing Corvanta V2.31 checks."});
}

// The registry's directory, in any letter case and with or without a final
// backslash, is the product path in lower case, where the profile is found;
// one without its bin folder is reported and the current directory is taken
// instead.
TEST(Discovery, RegistryDirectoryWithItsBinIsTheProductPath) {
  TestMachine machine;
  machine.file("drive_c/corvanta/zorpzcfg.prf", "").workingDirectory("drive_c/work");
  const Lines setup = {"CHK0050I: ===> Setup checks.",
                       "CHK0056I: Writing log file c:\\work\\zorivt.log."};
  Lines found = setup;
  found.push_back("CHK0063I: Corvanta profile used: c:\\corvanta\\zorpzcfg.prf.");
  Lines noBin = setup;
  noBin.insert(noBin.end(), {"CHK0009A: The Corvanta directory c:\\corvanta\\bin does not exist.",
                             "CHK0061A: Assuming current directory c:\\work as product path.",
                             "CHK0062R: Corvanta profile zorpzcfg.prf not found."});
  for (auto [directory, expected] : {std::pair<const char*, Lines>{"C:\\\\Corvanta", noBin},
                                     {"C:\\\\CORVANTA", found},
                                     {"c:\\\\corvanta\\\\", found}}) {
    if (expected == found) machine.directory("drive_c/corvanta/bin");
    machine.registry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\n\"Directory\"=\"" +
                     std::string(directory) + "\"\n");
    EXPECT_BLOCK(machine.run({"-v", "ZOR_LANG"}), 0, expected);
  }
}

// The bundled demo machine, as an administrator finds it: the product's
// keys are read, its version and the ObjectStore server's parameters among
// them. Under Wine's 64-bit setup the 32-bit regedit imports them into the
// 32-bit registry view, where the product's installer puts them, and the
// checker must find them there (a 64-bit one would not). The parameters'
// order is the registry's, which differs under Wine.
TEST(Discovery, DemoMachineProductAndObjectStoreKeysAreFound) {
  TestMachine machine;
  e2e::copyDemoMachine(machine);
  machine.workingDirectory("drive_c/Corvanta").env("OS_ROOTDIR", "C:\\ODI\\OSTORE");
  RunResult run = machine.run({"-i"});
  EXPECT_EQ(run.exitStatus, 0) << run.command;
  for (const char* line :
       {"CHK0063I: Corvanta profile used: c:\\corvanta\\zorpzcfg.prf.",
        "CHK0090I: Corvanta version read from Registry: 2.3.0.412.",
        "CHK0076I: ObjectStore server parameters:",
        "CHK0078I:   Log File: C:\\ODI\\OSTORE\\osserver.log", "CHK0078I:   Cache Size: 8388608"}) {
    EXPECT_NE(std::find(run.log.begin(), run.log.end(), line), run.log.end())
        << line << " missing from the log of " << run.command;
  }
}

// A machine that cannot be read says why in one line on standard error, and
// the run goes on as with an empty registry; a machine without registry.reg
// says nothing.
TEST(Discovery, AMachineThatCannotBeReadSaysWhy) {
  if (e2e::windowsBuild()) GTEST_SKIP() << "the machine directory belongs to the POSIX build";
  const std::string noEntry = "CHK0080A: Registry does not contain an entry for Corvanta.";
  auto expectRun = [&](const TestMachine& machine, const Lines& err) {
    RunResult run = machine.run({"-v", "ZOR_LANG"});
    EXPECT_EQ(run.exitStatus, 0) << run.command;
    EXPECT_EQ(run.err, err) << run.command;
    EXPECT_NE(std::find(run.log.begin(), run.log.end(), noEntry), run.log.end()) << run.command;
  };
  TestMachine machine;
  const std::string registry = machine.host("registry.reg").string();
  expectRun(machine, {});
  machine.file("registry.reg", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta]\n");
  expectRun(machine, {"zorivt: machine: registry.reg does not start with a regedit export "
                      "header: " +
                      registry + "; the registry is empty"});
  std::filesystem::remove(registry);
  machine.directory("registry.reg");
  expectRun(machine, {"zorivt: machine: registry.reg is not a regular file: " + registry +
                      "; the registry is empty"});
  const std::string missing = machine.host("missing").string();
  machine.env("ZORIVT_MACHINE", missing);
  expectRun(machine, {"zorivt: machine: ZORIVT_MACHINE names no directory: " + missing +
                      "; no drive but z: and an empty registry"});
}
