// The README's snapshot examples: examples/replay-demo as the README shows
// it, and the replay lines of the README and of zorivt-collect's manual page
// on a snapshot of the demo machine.
#include <regex>
#include <set>

#include "harness.h"
#include "process.h"

namespace fs = std::filesystem;

TEST(ReplayDemo, TheReadmeAndManualPageExamplesRunAndAProfileFixShowsInTheReplay) {
  SKIP_ON_WINDOWS_BUILD("the replay runs the native checker");
  e2e::TestMachine machine;
  const fs::path folder = machine.root().parent_path();
  const fs::path sourceDir = ZORIVT_SOURCE_DIR;
  const std::vector<std::string> shell = {
      "PATH=" + fs::path(ZORIVT_BINARY).parent_path().string() + ":/usr/bin:/bin",
      "TMPDIR=" + folder.string(), std::string("ZORIVT_BINARY=") + ZORIVT_BINARY,
      std::string("ZORIVT_COLLECT_BINARY=") + ZORIVT_COLLECT_BINARY};
  auto runShell = [&](const std::string& command, const fs::path& directory) {
    std::vector<std::string> environment = e2e::sanitizerSettings();
    environment.insert(environment.end(), shell.begin(), shell.end());
    return e2e::runProcess("/bin/bash", {"bash", "-c", command}, environment, directory,
                           folder / "out", folder / "err", 120);
  };

  const std::string readme = e2e::readFile(sourceDir / "README.md");
  std::set<std::string> demos;
  const std::regex demo(R"(examples/replay-demo( [^`\n)]*)?)");
  for (std::sregex_iterator it(readme.begin(), readme.end(), demo), end; it != end; ++it) {
    demos.insert(it->str());
  }
  ASSERT_GE(demos.size(), 2u);
  for (const std::string& command : demos) {
    EXPECT_EQ(runShell(command, sourceDir), 0) << command << "\n" << e2e::readFile(folder / "err");
    const std::string out = e2e::readFile(folder / "out");
    EXPECT_NE(out.find("< CHK0074A: Variable ZOR_TRACEFILE is not known."), std::string::npos)
        << command << "\n"
        << out;
    EXPECT_NE(out.find("file c:\\Corvanta\\zorpzcfg.prf: 613 bytes copied"), std::string::npos)
        << out;
    std::size_t kept = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename().string().rfind("zorivt-replay.", 0) != 0) continue;
      ++kept;
      fs::remove_all(entry.path());
    }
    EXPECT_EQ(kept, command.find("--keep") != std::string::npos ? 1u : 0u) << command;
  }

  // "ZORIVT_MACHINE=snapshot zorivt ..." beside a snapshot of the demo.
  e2e::copyDemoMachine(machine);
  ASSERT_EQ(runShell("cd machine/drive_c/Corvanta && ZORIVT_MACHINE=" + machine.root().string() +
                         " \"$ZORIVT_COLLECT_BINARY\" -i " + (folder / "snapshot").string(),
                     folder),
            0)
      << e2e::readFile(folder / "err");
  std::vector<std::string> lines;
  for (const std::string& line : e2e::splitLines(readme)) {
    if (line.rfind("    ZORIVT_MACHINE=snapshot ", 0) == 0) lines.push_back(line.substr(4));
  }
  for (std::string line : e2e::splitLines(e2e::readFile(sourceDir / "docs/zorivt-collect.1"))) {
    line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
    if (line.rfind("$ ZORIVT_MACHINE=snapshot ", 0) == 0) lines.push_back(line.substr(2));
  }
  ASSERT_GE(lines.size(), 2u);
  for (const std::string& line : lines) {
    fs::remove(folder / "snapshot/drive_c/Corvanta/zorivt.log");
    EXPECT_EQ(runShell(line, folder), 0) << line << "\n" << e2e::readFile(folder / "err");
    EXPECT_TRUE(fs::exists(folder / "snapshot/drive_c/Corvanta/zorivt.log")) << line;
  }
}
