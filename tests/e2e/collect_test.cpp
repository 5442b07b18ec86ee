// zorivt-collect on the emulated machine: it leaves the machine as it was,
// writes only into an output folder that is new or empty, and says what it
// could not read without stopping. (Every other end-to-end run is collected
// and replayed by the round trip of the harness.)
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "harness.h"
#include "process.h"
#include "wine_prefix.h"

namespace fs = std::filesystem;

namespace {

struct Collected {
  int status = -1;
  std::string err;
  std::string manifest;
};

Collected collect(const e2e::TestMachine& machine, const fs::path& cwd,
                  const std::vector<std::string>& arguments, const fs::path& output) {
  std::vector<std::string> envp = e2e::sanitizerSettings();
  envp.push_back("ZORIVT_MACHINE=" + machine.root().string());
  std::vector<std::string> argv{"zorivt-collect"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(output.string());
  const fs::path err = machine.root().parent_path() / "collect-test.err";
  Collected result;
  result.status = e2e::runProcess(ZORIVT_COLLECT_BINARY, argv, envp, cwd, fs::path(), err, 120);
  result.err = e2e::readFile(err);
  fs::remove(err);
  result.manifest = e2e::readFile(output / "MANIFEST.txt");
  return result;
}

/// Every entry below `root`: its kind, permissions, size, time and bytes.
std::map<std::string, std::string> treeState(const fs::path& root) {
  std::map<std::string, std::string> state;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st;
    if (::lstat(entry.path().c_str(), &st) != 0) continue;
    std::ostringstream text;
    text << st.st_mode << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.'
         << st.st_mtim.tv_nsec;
    if (S_ISREG(st.st_mode)) text << ' ' << e2e::readFile(entry.path());
    state[fs::relative(entry.path(), root).string()] = text.str();
  }
  return state;
}

}  // namespace

TEST(Collect, TheMachineIsLeftAsItWasAndTheSnapshotHoldsWhatTheRunRead) {
  SKIP_ON_WINDOWS_BUILD("zorivt-collect of the emulated machine");
  e2e::TestMachine machine;
  e2e::copyDemoMachine(machine);
  const fs::path cwd = machine.host("drive_c/Corvanta");
  const auto before = treeState(machine.root());
  const fs::path output = machine.root().parent_path() / "snapshot";
  const Collected run = collect(machine, cwd, {"-d", "-s"}, output);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(treeState(machine.root()), before);

  // The profile's bytes are copied; an executable only scanned is copied
  // whole; the log is the output folder's.
  EXPECT_EQ(e2e::readFile(output / "drive_c/Corvanta/zorpzcfg.prf"),
            e2e::readFile(cwd / "zorpzcfg.prf"));
  EXPECT_EQ(e2e::readFile(output / "drive_c/Corvanta/zorpisrv.exe"),
            e2e::readFile(cwd / "zorpisrv.exe"));
  EXPECT_TRUE(fs::is_regular_file(output / "zorivt.log"));
  EXPECT_FALSE(fs::exists(cwd / "zorivt.log"));
  EXPECT_NE(run.manifest.find("file c:\\Corvanta\\zorpzcfg.prf: "), std::string::npos)
      << run.manifest;
  EXPECT_NE(run.manifest.find("snapshot size: "), std::string::npos);
}

TEST(Collect, PlacesOnlyTheSizeOfAFileWhoseExistenceWasAsked) {
  SKIP_ON_WINDOWS_BUILD("zorivt-collect of the emulated machine");
  e2e::TestMachine machine;
  e2e::copyDemoMachine(machine);
  const fs::path output = machine.root().parent_path() / "snapshot";
  const Collected run = collect(machine, machine.host("drive_c/Corvanta"), {}, output);
  ASSERT_EQ(run.status, 0) << run.err;
  const fs::path placeholder = output / "drive_c/Corvanta/zorpisrv.exe";
  struct stat st;
  ASSERT_EQ(::stat(placeholder.c_str(), &st), 0);
  EXPECT_EQ(static_cast<std::uintmax_t>(st.st_size),
            fs::file_size(machine.host("drive_c/Corvanta/zorpisrv.exe")));
  EXPECT_EQ(st.st_blocks, 0) << "the placeholder holds bytes";
  EXPECT_NE(run.manifest.find("placeholder c:\\Corvanta\\zorpisrv.exe: "), std::string::npos);
}

TEST(Collect, RefusesAnOutputFolderThatIsNotEmptyAndTheUpdateOption) {
  SKIP_ON_WINDOWS_BUILD("zorivt-collect of the emulated machine");
  e2e::TestMachine machine;
  const fs::path output = machine.root().parent_path() / "used";
  e2e::writeFile(output / "keep.txt", "mine");
  Collected run = collect(machine, machine.host("drive_c"), {}, output);
  EXPECT_EQ(run.status, 5);
  EXPECT_NE(run.err.find("is not empty"), std::string::npos) << run.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(output), fs::directory_iterator()), 1);

  const fs::path file = machine.root().parent_path() / "a-file";
  e2e::writeFile(file, "x");
  EXPECT_EQ(collect(machine, machine.host("drive_c"), {}, file).status, 5);
  EXPECT_EQ(e2e::readFile(file), "x");

  const fs::path fresh = machine.root().parent_path() / "fresh";
  run = collect(machine, machine.host("drive_c"), {"-u"}, fresh);
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(fs::exists(fresh));

  fs::create_directory(fresh);
  EXPECT_EQ(collect(machine, machine.host("drive_c"), {"-e"}, fresh).status, 0);
  EXPECT_TRUE(fs::exists(fresh / "MANIFEST.txt"));
}

TEST(Collect, AFileThatCannotBeReadIsReportedAndTheRunGoesOn) {
  SKIP_ON_WINDOWS_BUILD("zorivt-collect of the emulated machine");
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser reads any file";
  e2e::TestMachine machine;
  e2e::copyDemoMachine(machine);
  const fs::path profile = machine.host("drive_c/Corvanta/zorpzcfg.prf");
  fs::permissions(profile, fs::perms::none);
  machine.file("drive_c/locked/zorx.exe", "MZ");
  fs::permissions(machine.host("drive_c/locked"), fs::perms::none);
  const fs::path output = machine.root().parent_path() / "snapshot";
  const Collected run = collect(machine, machine.host("drive_c/Corvanta"), {}, output);
  // A folder that may not be listed, under the version scan.
  const Collected scan = collect(machine, machine.host("drive_c/Corvanta"),
                                 {"-s", "c:\\locked\\zor*.exe"}, output.string() + "-scan");
  fs::permissions(profile, fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(machine.host("drive_c/locked"), fs::perms::owner_all);
  EXPECT_NE(scan.err.find("c:\\locked\\: could not be listed (access denied)"), std::string::npos)
      << scan.err;
  EXPECT_NE(scan.manifest.find("NOT TAKEN c:\\locked\\"), std::string::npos);
  EXPECT_NE(run.err.find("c:\\Corvanta\\zorpzcfg.prf: could not be read (access denied)"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.manifest.find("NOT TAKEN c:\\Corvanta\\zorpzcfg.prf"), std::string::npos);
  // The rest of the run is collected: the registry and the executables.
  EXPECT_NE(run.manifest.find("placeholder c:\\Corvanta\\zorpisrv.exe"), std::string::npos);
  EXPECT_TRUE(fs::exists(output / "registry.reg"));
}

// Across systems: the Windows collector under Wine on the demo machine, the
// native checker on its snapshot, the same log as zorivt.exe live.
TEST(Collect, AWindowsSnapshotReplaysOnLinuxWithTheLiveLog) {
  if (!e2e::windowsBuild()) GTEST_SKIP() << "the Windows collector runs in the Windows build";
  const fs::path native = ZORIVT_NATIVE_BINARY;
  if (native.empty() || !fs::exists(native)) {
    GTEST_SKIP() << "no native zorivt to replay with at " << native.string()
                 << " (cmake --preset default && cmake --build --preset default)";
  }
  e2e::TestMachine machine;
  e2e::copyDemoMachine(machine);
  machine.workingDirectory("drive_c/Corvanta");
  const e2e::RunResult live = machine.run({"-i"});
  ASSERT_FALSE(live.log.empty()) << live.command;

  const fs::path folder = machine.root().parent_path();
  const fs::path snapshot = folder / "snapshot";
  std::string windowsFolder = "Z:" + snapshot.string();
  std::replace(windowsFolder.begin(), windowsFolder.end(), '/', '\\');
  const fs::path& prefix = e2e::wine::currentPrefix();
  int collected = -1;
  {
    e2e::wine::MachineLease lease(prefix, machine.root(), ZORIVT_COLLECT_BINARY);
    ASSERT_TRUE(lease.error().empty()) << lease.error();
    collected = e2e::wine::run(prefix, ZORIVT_COLLECT_BINARY, {"-i", windowsFolder},
                               {{"ZORIVT_MACHINE", machine.root().string()}},
                               machine.host("drive_c/Corvanta"), folder / "collect.out",
                               folder / "collect.err", 120);
  }
  ASSERT_EQ(collected, live.exitStatus) << e2e::readFile(folder / "collect.err");

  std::vector<std::string> environment = e2e::sanitizerSettings();
  environment.push_back("ZORIVT_MACHINE=" + snapshot.string());
  const int replayed = e2e::runProcess(native, {"zorivt", "-i"}, environment, snapshot,
                                       folder / "replay.out", fs::path(), 120);
  auto body = [](const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
      if (!e2e::isStartLine(line)) kept.push_back(line);
    }
    return kept;
  };
  const std::vector<std::string> replayLog =
      body(e2e::splitLines(e2e::readFile(e2e::replayLogPath(snapshot))));
  EXPECT_EQ(replayed, live.exitStatus);
  e2e::expectLines(live, "replayed log", replayLog, body(live.log));
}
