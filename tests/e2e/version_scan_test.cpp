// Option -s, end to end. Each case checks the block the scan writes, from
// its "File version checks." heading to the closing line, in the log file and
// on the console; the discovery lines before it belong to other tests.
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"

using namespace std::string_literals;
using e2e::RunResult;
using e2e::TestMachine;

namespace {

const std::string Heading = "CHK0050I: ===> File version checks.";

std::vector<std::string> scanBlock(const std::vector<std::string>& lines) {
  std::vector<std::string> block;
  for (const std::string& line : lines) {
    if (line.rfind("CHK0999I", 0) == 0) break;
    if (line == Heading || !block.empty()) block.push_back(line);
  }
  return block;
}

void expectScan(const RunResult& run, std::vector<std::string> block) {
  block.insert(block.begin(), Heading);
  block.push_back("");
  EXPECT_EQ(run.exitStatus, 0) << run.command;
  e2e::expectLines(run, "log, scan block", scanBlock(run.log), block);
  e2e::expectLines(run, "stdout, scan block", scanBlock(run.out), block);
}

std::string scanning(const std::string& path) {
  return "CHK0066I: Scanning " + path + "...";
}
std::string noVersion(const std::string& name) {
  return "CHK0069I: No version information found in " + name + ".";
}

}  // namespace

TEST(VersionScan, ReportsTheTextAfterTheMarkerAndTriesTheLastMarkerFirst) {
  // Default masks in the product directory (the current one, without a
  // registry entry). zorb.exe holds both markers: the build marker, which
  // found zora.exe's text, is tried first and wins, though it lies beyond
  // the first block the scan reads. zorc.exe holds only the other
  // one, which is tried first from then on; zore.dll holds neither marker,
  // so zorf.dll is searched as zorc.exe was. Where in a file a marker may lie
  // is the scanner's unit test.
  TestMachine machine;
  machine.file("drive_c/zora.exe", "MZ\0\0DRVBLD:B017\0"s)
      .file("drive_c/zorb.exe",
            "@(#)Corvanta Early\0"s + std::string(200000, ' ') + "DRVBLD:B018\0")
      .file("drive_c/zorc.exe", "x\0@(#)Corvanta 2.3 Server\0"s)
      .file("drive_c/zore.dll", "ab")
      .file("drive_c/zorf.dll", "DRVBLD:B019\0@(#)Corvanta Late\0"s)
      .file("drive_c/other.exe", "@(#)Corvanta not scanned\0"s);
  expectScan(
      machine.run({"-s"}),
      {scanning("c:\\zora.exe"), "CHK0068I: -> B017", scanning("c:\\zorb.exe"), "CHK0068I: -> B018",
       scanning("c:\\zorc.exe"), "CHK0068I: -> Corvanta 2.3 Server", scanning("c:\\zore.dll"),
       noVersion("zore.dll"), scanning("c:\\zorf.dll"), "CHK0068I: -> Corvanta Late"});
}

TEST(VersionScan, MasksAreLowerCasedAndADotTakesNamesWithoutExtension) {
  TestMachine machine;
  machine.file("drive_c/Prod/ZORA.EXE", "DRVBLD:R412\0"s)
      .file("drive_c/Prod/ZorSetup", "DRVBLD:S1\0"s)
      .file("drive_c/Prod/zorsetup.ini", "DRVBLD:S2\0"s)
      .workingDirectory("drive_c/Prod");
  expectScan(machine.run({"-s", "C:\\PROD\\ZOR*.EXE;ZOR*."}),
             {scanning("c:\\prod\\zora.exe"), "CHK0068I: -> R412", scanning("c:\\prod\\zorsetup"),
              "CHK0068I: -> S1"});
  expectScan(machine.run({"-s", "x*.exe;c:\\missing\\zor*.exe"}),
             {"CHK0067I: No files found (x*.exe;c:\\missing\\zor*.exe)."});
}

TEST(VersionScan, TheCheckerReportsItsOwnIdentificationAndHoldsNoBuildMarker) {
  // After zora.exe the build marker is tried first in the checker, which must
  // not hold one. Drive z: is the host's root.
  TestMachine machine;
  machine.file("drive_c/zora.exe", "DRVBLD:B017\0"s);
  const char* chosen = std::getenv("ZORIVT_E2E_BINARY");
  std::string checker = "z:" + std::string(chosen && *chosen ? chosen : ZORIVT_BINARY);
  for (char& c : checker)
    c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  expectScan(machine.run({"-s", "zora.exe;" + checker}),
             {scanning("c:\\zora.exe"), "CHK0068I: -> B017", scanning(checker),
              "CHK0068I: -> Corvanta Configuration Checker " ZORIVT_LEVEL});
}

TEST(VersionScan, AFileThatCannotBeOpenedIsVisitedAndShownInDebugLines) {
  // A regular file that even the superuser cannot open: a write-only kernel
  // attribute, reached through a symbolic link. Each of its two searches
  // writes a debug line, the first on the "Scanning" line.
  std::string target;
  for (const char* candidate : {"/sys/bus/pci/rescan", "/sys/bus/pci/drivers_probe"}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error) && !std::ifstream(candidate)) {
      target = candidate;
    }
  }
  TestMachine machine;
  std::error_code error;
  if (!target.empty())
    std::filesystem::create_symlink(target, machine.host("drive_c/zorw.exe"), error);
  if (target.empty() || error) GTEST_SKIP() << "no unreadable regular file on this host";
  machine.file("drive_c/zorz.exe", "@(#)Corvanta Z\0"s);

  const std::string cannotOpen = "CHK--DBG: Scanner: Cannot open file .\\zorw.exe";
  expectScan(
      machine.run({"-d", "-s", "zor*.exe"}),
      {"CHK--DBG: FileMask = 'zor*.exe', DefaultPath = ''", scanning("c:\\zorw.exe") + cannotOpen,
       cannotOpen, "", noVersion("zorw.exe"), scanning("c:\\zorz.exe"), "CHK0068I: -> Corvanta Z"});
  expectScan(machine.run({"-s", "zor*.exe"}),
             {scanning("c:\\zorw.exe"), noVersion("zorw.exe"), scanning("c:\\zorz.exe"),
              "CHK0068I: -> Corvanta Z"});
}
