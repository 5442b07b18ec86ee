// The "General" block: operating system, the product's registry entries,
// the file directory and the trace settings.
#include "harness.h"

using e2e::TestMachine;
using Lines = std::vector<std::string>;

namespace {

const char* const Header = "CHK0050I: ===> General checks.";
const char* const FilesNotSet = "CHK0011R: Variable ZOR_FILES is not set.";
const char* const TracingOff = "CHK0083I: Tracing is disabled (0, 0, 0).";
const char* const NoVersion = "CHK0080A: Registry does not contain an entry for Corvanta Version.";

/// The general block: the header, the system line (of NT 4.0 unless given),
/// then `lines`.
Lines general(const Lines& lines,
              const std::string& system = "CHK0055I: The operating system is Windows NT 4.00.") {
  Lines block{Header, system};
  block.insert(block.end(), lines.begin(), lines.end());
  return block;
}

/// Expects the whole log of a run on a machine with no product, `block`
/// being its general block.
void expectGeneralLog(const e2e::RunResult& run, int exitStatus, const Lines& block) {
  EXPECT_WHOLE_LOG(run, exitStatus, e2e::machineLog("c:\\", {block}));
}

}  // namespace

// The version and, under -d, every value of the product key "2.3" in
// descending index order, each as "name: value" (the names are in the order
// of their letters, Wine's order of enumeration). A product key without the
// version value, or without the subkey "2.3", reports the missing version;
// without the subkey nothing is listed. Without the NT key, the Windows
// 95/98 key gives the system's version.
TEST(GeneralChecks, RegistryVersionAndEntriesAreShown) {
  TestMachine machine;
  machine
      .registry(
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
          "\"CurrentVersion\"=\"5.0\"\n\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\n"
          "\"Build\"=\"B017\"\n"
          "\"Directory\"=\"c:\\\\corvanta\"\n"
          "\"Version\"=\"2.3.0\"\n")
      .directory("drive_c/corvanta/bin");
  EXPECT_BLOCK(machine.run({"-d"}), 0,
               general({"CHK0090I: Corvanta version read from Registry: 2.3.0.",
                        "CHK--DBG: Corvanta Registry entries:", "CHK--DBG:   Version: 2.3.0",
                        "CHK--DBG:   Directory: c:\\corvanta", "CHK--DBG:   Build: B017",
                        FilesNotSet, TracingOff},
                       "CHK0055I: The operating system is Windows NT 5.00."));

  machine.registry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\n"
      "\"Directory\"=\"c:\\\\corvanta\"\n");
  EXPECT_BLOCK(machine.run({"-d"}), 0,
               general({NoVersion, "CHK--DBG: Corvanta Registry entries:",
                        "CHK--DBG:   Directory: c:\\corvanta", FilesNotSet, TracingOff}));
  machine.registry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.2]\n"
      "\"Version\"=\"2.2.0\"\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
      "\"VersionNumber\"=\"4.10.1998\"\n");
  EXPECT_BLOCK(machine.run({"-d"}), 0,
               general({NoVersion, FilesNotSet, TracingOff},
                       "CHK0055I: The operating system is Windows 95 4.10."));
}

// Tracing needs three non-zero parts in ZOR_TRACE_CRITERIA; missing and
// non-numeric parts count as 0, a negative part as non-zero.
TEST(GeneralChecks, TracingNeedsThreeNonZeroCriteria) {
  TestMachine machine;
  machine.directory("drive_c/files").env("ZOR_FILES", "c:\\files");
  for (auto [criteria, line] : {
           std::pair<const char*, const char*>{"5,7", "CHK0083I: Tracing is disabled (5, 7, 0)."},
           {"1, 0, 3", "CHK0083I: Tracing is disabled (1, 0, 3)."},
           {"x,2,3", "CHK0083I: Tracing is disabled (0, 2, 3)."},
           {"4,,5,6", "CHK0082I: Tracing is enabled (4, 5, 6), file c:\\files\\zorpktrc.log."},
           {"2,-1,3", "CHK0082I: Tracing is enabled (2, -1, 3), file c:\\files\\zorpktrc.log."},
       }) {
    expectGeneralLog(machine.env("ZOR_TRACE_CRITERIA", criteria).run({}), 0, general({line}));
  }
}

// ZOR_FILES must name a directory (in any letter case, with or without a
// final backslash); one that does not exist is reported as written. A trace
// file named without a directory lies in the ZOR_FILES directory when that
// exists, else it is shown as named; one with a backslash, or with a drive
// of its own, is shown unchanged.
TEST(GeneralChecks, TraceFileLiesInTheFileDirectory) {
  TestMachine machine;
  machine.directory("drive_c/files").env("ZOR_TRACE_CRITERIA", "1,1,1");
  const std::string enabled = "CHK0082I: Tracing is enabled (1, 1, 1), file ";
  machine.env("ZOR_FILES", "C:\\Files\\");
  expectGeneralLog(machine.env("ZOR_TRACE_FILE", "My.Log").run({}), 0,
                   general({enabled + "c:\\files\\my.log."}));
  expectGeneralLog(machine.env("ZOR_TRACE_FILE", "D:\\Logs\\Trace.LOG").run({}), 0,
                   general({enabled + "D:\\Logs\\Trace.LOG."}));
  expectGeneralLog(machine.env("ZOR_TRACE_FILE", "d:Trace.log").run({}), 0,
                   general({enabled + "d:Trace.log."}));
  expectGeneralLog(machine.unsetEnv("ZOR_TRACE_FILE").env("ZOR_FILES", "C:\\NoFiles").run({}), 0,
                   general({"CHK0009A: The ZOR_FILES directory C:\\NoFiles does not exist.",
                            enabled + "zorpktrc.log."}));
}

// While tracing, the detail is shown as written and a non-zero threshold
// clashes with split traces; a zero threshold does not, and without tracing
// none of them is looked at.
TEST(GeneralChecks, ThresholdAndSplitClashOnlyWhileTracing) {
  TestMachine machine;
  machine.env("ZOR_TRACE_CRITERIA", "1,2,3")
      .env("ZOR_TRACE_DETAIL", "Full")
      .env("ZOR_SPLIT_TRACES", "yes");
  const Lines tracing = {FilesNotSet, "CHK0082I: Tracing is enabled (1, 2, 3), file zorpktrc.log.",
                         "CHK0013I: Variable ZOR_TRACE_DETAIL = Full."};
  Lines clash = tracing;
  clash.insert(clash.end(),
               {"CHK0013I: Variable ZOR_TRACE_THRESHOLD = -5.",
                "CHK--ERR: You must not set both ZOR_TRACE_THRESHOLD and ZOR_SPLIT_TRACES"});
  expectGeneralLog(machine.env("ZOR_TRACE_THRESHOLD", "-5").run({}), 0, general(clash));
  Lines zero = tracing;
  zero.push_back("CHK0013I: Variable ZOR_TRACE_THRESHOLD = 0.");
  expectGeneralLog(machine.env("ZOR_TRACE_THRESHOLD", "0").run({}), 0, general(zero));
  expectGeneralLog(machine.env("ZOR_TRACE_THRESHOLD", "7").env("ZOR_TRACE_CRITERIA", "1,2").run({}),
                   0, general({FilesNotSet, "CHK0083I: Tracing is disabled (1, 2, 0)."}));
}
