// The log against a failing console and a failing file system: a console
// pipe whose reader is gone, a standard output closed at start, and a log on
// a full file system.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <functional>

#include "harness.h"
#include "process.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

/// Runs the checker with `arguments` in the machine's drive_c, its output
/// and error in files of the machine directory, after `prepare` has set up
/// the child process (e2e::CannotPrepare when it cannot).
int runPrepared(const TestMachine& machine, const std::vector<std::string>& arguments,
                const std::function<bool()>& prepare) {
  std::vector<std::string> argv{"zorivt"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return e2e::runProcess(e2e::checkerBinary(), argv, {"ZORIVT_MACHINE=" + machine.root().string()},
                         machine.host("drive_c"), machine.host("stdout.txt"),
                         machine.host("stderr.txt"), 120, prepare);
}

/// The log without its start line (it holds the time).
std::vector<std::string> logAfterStart(const TestMachine& machine) {
  std::vector<std::string> lines = e2e::splitLines(machine.read("drive_c/zorivt.log"));
  if (!lines.empty()) lines.erase(lines.begin());
  return lines;
}

}  // namespace

// With its console gone (a pipe with no reader, a full device, or no
// standard output at all) the checker runs to its end and writes the same log, each line once,
// as with a console, for every console level.
TEST(LogIntegrity, TheLogIsCompleteWhateverHappensToTheConsole) {
  SKIP_ON_WINDOWS_BUILD("the console is set up by the POSIX host here");
  TestMachine machine;
  machine.file("drive_c/zorpzcfg.prf", "ZOR_LANG = EU\n").file("drive_c/zorpisrv.exe", "");
  for (const char* level : {"-i", "-d", "-s"}) {
    const RunResult normal = machine.run({level});
    ASSERT_GE(normal.log.size(), 3u);
    const std::vector<std::string> expected(normal.log.begin() + 1, normal.log.end());
    EXPECT_EQ(expected.back(), "CHK0999I: Configuration-checking utility ended.");

    const int closedPipe = runPrepared(machine, {level}, [] {
      int ends[2];
      if (::pipe(ends) != 0) return false;
      ::close(ends[0]);
      ::dup2(ends[1], 1);
      ::close(ends[1]);
      return true;
    });
    EXPECT_EQ(closedPipe, normal.exitStatus) << level;
    EXPECT_EQ(logAfterStart(machine), expected) << level << ": pipe without a reader";

    const int closedOutput = runPrepared(machine, {level}, [] { return ::close(1) == 0; });
    EXPECT_EQ(closedOutput, normal.exitStatus) << level;
    EXPECT_EQ(logAfterStart(machine), expected) << level << ": standard output closed";

    const int fullDevice = runPrepared(machine, {level}, [] {
      const int full = ::open("/dev/full", O_WRONLY);
      return full != -1 && ::dup2(full, 1) == 1;
    });
    EXPECT_EQ(fullDevice, normal.exitStatus) << level;
    EXPECT_EQ(logAfterStart(machine), expected) << level << ": standard output on a full device";
  }
}

// A log on a file system without room: the console messages still appear,
// standard error names the log and the reason, and the exit status is 3.
TEST(LogIntegrity, ALogOnAFullFileSystemEndsWithItsOwnStatus) {
  SKIP_ON_WINDOWS_BUILD("a private mount namespace is a Linux host's");
  TestMachine machine;
  machine.directory("drive_c");
  const std::string cwd = machine.host("drive_c").string();
  const int status = runPrepared(machine, {"-i"}, [&cwd] {
    if (::unshare(CLONE_NEWNS) != 0) return false;
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    if (::mount("tmpfs", cwd.c_str(), "tmpfs", 0, "size=4k") != 0) return false;
    if (::chdir(cwd.c_str()) != 0) return false;
    // Fill it: not one more data block fits.
    const int fd = ::open("filler", O_WRONLY | O_CREAT, 0644);
    const std::string block(1024, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
    return true;
  });
  if (status == e2e::CannotPrepare)
    GTEST_SKIP() << "no private mount namespace with a small file system";
  EXPECT_EQ(status, 3);
  const std::vector<std::string> out = e2e::splitLines(machine.read("stdout.txt"));
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "CHK0999I: Configuration-checking utility ended.");
  EXPECT_EQ(e2e::splitLines(machine.read("stderr.txt")),
            std::vector<std::string>{"zorivt: the log file c:\\zorivt.log could not be written "
                                     "completely: No space left on device"});
}

// The local host's name, set in a private name space, holds every byte
// value in turn (at most 64 at a time): the debug line that quotes it stays
// one line, its control characters shown as "<0x..>".
TEST(LogIntegrity, TheLocalHostNameCannotForgeALine) {
  SKIP_ON_WINDOWS_BUILD("a private host name is a Linux host's");
  TestMachine machine;
  machine.file("drive_c/zorpisrv.exe", "")
      .file("drive_c/zorpzcfg.prf", "ZOR_PROTOCOL = TCI\n")
      .faults("resolver hosts-only\n");
  for (int first = 1; first < 256; first += 64) {
    std::string name;
    for (int c = first; c < first + 64 && c < 256; ++c) name += static_cast<char>(c);
    const int status = runPrepared(machine, {"-d"}, [&name] {
      return ::unshare(CLONE_NEWUTS) == 0 && ::sethostname(name.data(), name.size()) == 0;
    });
    if (status == e2e::CannotPrepare) GTEST_SKIP() << "no private host name";
    EXPECT_EQ(status, 0);
    const std::vector<std::string> log = e2e::splitLines(machine.read("drive_c/zorivt.log"));
    int quoted = 0, ends = 0;
    for (const std::string& line : log) {
      quoted += line == "CHK--DBG: Parameter hostname was '" + e2e::shown(name) + "'" ? 1 : 0;
      ends += line.rfind("CHK0999I", 0) == 0 ? 1 : 0;
    }
    EXPECT_GE(quoted, 1) << "bytes from " << first;
    EXPECT_EQ(ends, 1) << "bytes from " << first;
  }
}
