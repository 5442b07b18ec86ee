// End-to-end harness: lays out a machine directory in a fresh temporary
// folder, runs the built checker against it with a controlled environment,
// arguments and working directory, and hands back the exit status, the log
// file's lines and the console output for exact assertions.
//
// The checker under test is the build's own `zorivt` unless the environment
// variable ZORIVT_E2E_BINARY names another one. A checker whose name ends in
// ".exe" is the Windows build: it runs under Wine, in a Wine prefix that
// takes on each test's machine (see wine_prefix.h), and what it writes in
// text mode is handed back with plain line feeds.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host_network.h"
#include "machine_directory.h"

namespace e2e {

using test_support::hostName;
using test_support::rawSocketsAllowed;
using test_support::readFile;
using test_support::splitLines;
using test_support::writeFile;

struct RunResult {
  std::string command;  // for failure messages
  int exitStatus = -1;
  std::vector<std::string> log;  // lines of zorivt.log in the working directory (none without)
  std::vector<std::string> out;  // standard output, split at line feeds
  std::vector<std::string> err;  // standard error, split at line feeds
};

/// A machine directory in a temporary folder of the test's own, and the
/// runs of the checker against it.
class TestMachine : public test_support::MachineDirectory {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  /// Creates a file (and its directories) inside the machine directory.
  TestMachine& file(const std::string& relative, const std::string& content) {
    MachineDirectory::file(relative, content);
    return *this;
  }
  TestMachine& directory(const std::string& relative) {
    MachineDirectory::directory(relative);
    return *this;
  }
  /// registry.reg: `body` follows a "REGEDIT4" first line.
  TestMachine& registry(const std::string& body);
  /// The emulation's faults file (see docs/emulated-machine.md).
  TestMachine& faults(const std::string& lines) { return file("faults", lines); }

  /// Environment of the runs; it starts empty but for ZORIVT_MACHINE.
  TestMachine& env(const std::string& name, const std::string& value);
  TestMachine& unsetEnv(const std::string& name);
  /// Working directory of the runs, relative to the machine directory
  /// (default "drive_c").
  TestMachine& workingDirectory(const std::string& relative);

  RunResult run(const std::vector<std::string>& arguments) const;

  /// With ZORIVT_E2E_ROUND_TRIP=1 (native build only), each run is followed
  /// by zorivt-collect with the same arguments, environment and working
  /// directory, and zorivt on the snapshot it wrote must give the live
  /// run's status, console output and log (start lines aside).
  void checkRoundTrip(const std::vector<std::string>& arguments, const RunResult& live) const;

 private:
  TestMachine(const std::filesystem::path& folder);

  std::filesystem::path folder_;  // the test's temporary folder, root()'s parent
  std::map<std::string, std::string> environment_;
  std::string workingDirectory_ = "drive_c";
};

/// Whether the checker under test is the Windows build (run under Wine).
bool windowsBuild();

/// Where a replay on the snapshot (a machine directory that zorivt-collect
/// wrote) writes its log: zorivt.log in the snapshot's current directory.
std::filesystem::path replayLogPath(const std::filesystem::path& snapshot);

/// The sanitizer settings of the test run ("NAME=value"), which a sanitized
/// program the tests start must keep; those named in `except` are left out.
std::vector<std::string> sanitizerSettings(const std::map<std::string, std::string>& except = {});

/// Lays out the bundled demo machine (examples/demo-machine) in `machine`.
void copyDemoMachine(const TestMachine& machine);

/// The checker under test.
std::string checkerBinary();

/// Matches the start line: "CHK0000I: Configuration check (<level>)
/// started on " and a ctime text, with the level the build names
/// (ZORIVT_LEVEL, such as V2R3.4.2).
bool isStartLine(const std::string& line);

/// How a log line shows `text`: each control character but the tab as
/// "<0x" and two lower-case hex digits and ">", every other byte as it is.
std::string shown(const std::string& text);

/// Expects `actual` to equal `expected` line by line. A line "CHK0000I*"
/// in `expected` stands for any start line.
void expectLines(const RunResult& run, const char* what, const std::vector<std::string>& actual,
                 const std::vector<std::string>& expected);

/// The log lines a run writes before its run phase begins.
std::vector<std::string> startLines(const std::string& logPath, const char* version = "2.30");

/// Expects the run to end with `exitStatus` and its log to hold, from the
/// first line equal to expected[0] up to the next empty line (or the end),
/// exactly the expected lines: one block of the report, such as a
/// component's or the setup block.
void expectBlock(const RunResult& run, int exitStatus, const std::vector<std::string>& expected);

/// The setup block of a run in `directory` (a lower-case Windows path) on a
/// machine whose registry names no product directory, so that `directory`
/// is the product path; `more` follows (the profile's lines).
std::vector<std::string> setupBlock(const std::string& directory,
                                    const std::vector<std::string>& more);

/// The whole log of a run without arguments in `directory` (a lower-case
/// Windows path) on a machine with nothing installed: no registry entry, no
/// profile, no component; with the profile search's debug line when asked.
std::vector<std::string> emptyMachineLog(const std::string& directory, bool debug = false);

/// The whole log of a run without arguments in `directory` on a small
/// machine: emptyMachineLog's, with each of `blocks` in place of the block
/// of the same section or component (an installed component's block in
/// place of its "not installed" line).
std::vector<std::string> machineLog(const std::string& directory,
                                    const std::vector<std::vector<std::string>>& blocks);

/// Expects the run to end with `exitStatus` and its log to be `expected`.
void expectWholeLog(const RunResult& run, int exitStatus, const std::vector<std::string>& expected);

// Where the Windows build under Wine truly differs from the emulated
// machine, each platform's own result:

/// The Windows directory as the checker reports it, and its place in the
/// machine directory: the emulation follows the registry (C:\WINNT by
/// default); Wine's is always C:\windows.
std::string windowsDirectory();
std::string windowsDirectoryOnMachine();

/// The WSAStartup description: the emulation's, or Wine's "WinSock 2.0".
std::string winsockDescription();

/// Whether names resolve through the machine's hosts file (and its faults
/// file), as in the emulation; Wine's Winsock asks the host's resolver
/// (its services and protocol files are the machine's on both).
bool resolverReadsTheMachineHostsFile();

/// The address gethostbyname gives for this host's own name where the
/// machine's hosts file does not decide it (under Wine): the host's first
/// IPv4 address that is not a loopback one, or 127.0.0.1 without one.
std::string ownAddressUnderWine();

/// Wine takes a path that starts with "/" for a host path (Z:\...), where
/// Windows and the emulation take it for a rooted path on the current drive.
bool slashPathsAreHostPaths();

}  // namespace e2e

/// Skips a test of the emulation itself on the Windows build.
#define SKIP_ON_WINDOWS_BUILD(reason)                                       \
  do {                                                                      \
    if (::e2e::windowsBuild()) GTEST_SKIP() << "Windows build: " << reason; \
  } while (0)

#define EXPECT_BLOCK(run, status, ...) ::e2e::expectBlock((run), (status), __VA_ARGS__)
#define EXPECT_WHOLE_LOG(run, status, ...) ::e2e::expectWholeLog((run), (status), __VA_ARGS__)
#define EXPECT_LOG(run, ...) ::e2e::expectLines((run), "log", (run).log, __VA_ARGS__)
#define EXPECT_OUT(run, ...) ::e2e::expectLines((run), "stdout", (run).out, __VA_ARGS__)
#define EXPECT_ERR(run, ...) ::e2e::expectLines((run), "stderr", (run).err, __VA_ARGS__)
