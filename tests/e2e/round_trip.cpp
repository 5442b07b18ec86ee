// The round trip of every run: collect a snapshot of the machine as the run
// saw it, replay the checker on the snapshot, expect the same results.
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "harness.h"
#include "process.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

bool roundTripWanted() {
  const char* value = std::getenv("ZORIVT_E2E_ROUND_TRIP");
  return value != nullptr && std::string(value) == "1" && !windowsBuild();
}

/// The lines without the start line, whose time differs between runs.
std::vector<std::string> withoutStartLine(std::vector<std::string> lines) {
  std::vector<std::string> kept;
  for (std::string& line : lines) {
    if (!isStartLine(line)) kept.push_back(std::move(line));
  }
  return kept;
}

}  // namespace

fs::path replayLogPath(const fs::path& snapshot) {
  const std::vector<std::string> cwd = splitLines(readFile(snapshot / "cwd"));
  if (cwd.empty() || cwd[0].size() < 2) return fs::path();
  fs::path path = snapshot / (std::string("drive_") + static_cast<char>(std::tolower(cwd[0][0])));
  std::string rest = cwd[0].substr(2);
  std::size_t start = 0;
  while (start < rest.size()) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) path /= rest.substr(start, end - start);
    start = end + 1;
  }
  return path / "zorivt.log";
}

void TestMachine::checkRoundTrip(const std::vector<std::string>& arguments,
                                 const RunResult& live) const {
  if (!roundTripWanted() || live.exitStatus < 0) return;
  static int count = 0;
  const fs::path snapshot = folder_ / ("snapshot-" + std::to_string(++count));
  const fs::path cwd = root() / workingDirectory_;

  std::vector<std::string> envp = sanitizerSettings(environment_);
  for (const auto& [name, value] : environment_) envp.push_back(name + "=" + value);
  std::vector<std::string> argv{"zorivt-collect"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(snapshot.string());
  const std::string command =
      "cd " + cwd.string() + " && ZORIVT_MACHINE=" + root().string() + " zorivt-collect ...";
  const int collected = runProcess(ZORIVT_COLLECT_BINARY, argv, envp, cwd, folder_ / "collect.out",
                                   folder_ / "collect.err", 120);
  // The collector refuses -u, which would change the machine: nothing to
  // compare.
  if (collected == 1 && !fs::exists(snapshot / "MANIFEST.txt")) return;
  // A live run that could not write its log has none to compare with.
  for (const std::string& line : live.out) {
    if (line.rfind("CHK0007R", 0) == 0) return;
  }
  ASSERT_EQ(collected, live.exitStatus)
      << "zorivt-collect ended otherwise than the live run\n  live: " << live.command
      << "\n  collect stderr: " << readFile(folder_ / "collect.err");

  std::vector<std::string> replayEnv = sanitizerSettings();
  replayEnv.push_back("ZORIVT_MACHINE=" + snapshot.string());
  std::vector<std::string> replayArgv{"zorivt"};
  replayArgv.insert(replayArgv.end(), arguments.begin(), arguments.end());
  const fs::path out = folder_ / "replay.out";
  RunResult replay;
  replay.command = "ZORIVT_MACHINE=" + snapshot.string() +
                   " zorivt (replay)\n  live: " + live.command + "\n  collected: " + command;
  replay.exitStatus =
      runProcess(checkerBinary(), replayArgv, replayEnv, snapshot, out, fs::path(), 120);
  replay.out = splitLines(readFile(out));
  replay.log = splitLines(readFile(replayLogPath(snapshot)));

  const bool same = replay.exitStatus == live.exitStatus &&
                    withoutStartLine(replay.out) == withoutStartLine(live.out) &&
                    withoutStartLine(replay.log) == withoutStartLine(live.log);
  if (same) return;
  // An unreadable file stands in the snapshot as a placeholder without
  // permissions, which the superuser reads all the same.
  if (::geteuid() == 0 &&
      readFile(snapshot / "MANIFEST.txt").find("could not be read (access denied)") !=
          std::string::npos) {
    GTEST_SKIP() << "round trip of a run that met an unreadable file, as the superuser";
  }
  EXPECT_EQ(replay.exitStatus, live.exitStatus) << replay.command;
  expectLines(replay, "replayed stdout", withoutStartLine(replay.out), withoutStartLine(live.out));
  expectLines(replay, "replayed log", withoutStartLine(replay.log), withoutStartLine(live.log));
}

}  // namespace e2e
