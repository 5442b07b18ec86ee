// The services file update against other writers, planted files and
// interrupts: updates run at once in separate processes, the file's mode,
// owner and symbolic link, and an interrupt before each file operation.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "driver/report_log.h"
#include "net/services_file.h"
#include "platform/fault_injection.h"
#include "test_machine.h"

namespace {

const std::string Services = "drive_c/etc/services";
const char* const ServicesPath = "c:\\etc\\services";

/// Runs `update` in a child process with its console on the null device
/// once the pipe `start` is closed by the parent (all children go at once);
/// the child's exit status is 0 when the update succeeded.
pid_t startUpdate(const int* start, const std::function<std::int32_t(ReportLog&)>& update) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  std::freopen("/dev/null", "w", stdout);
  if (start != nullptr) {
    ::close(start[1]);
    char byte;
    while (::read(start[0], &byte, 1) > 0) {
    }
  }
  std::int32_t status;
  {
    ReportLog log(nullptr, ThresholdDebug);
    status = update(log);
  }
  std::fflush(stdout);
  ::_exit(status == 0 ? 0 : 1);
}

/// How the child ended: its exit status, or 128 plus the signal.
int waitFor(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

std::string serviceName(char side, int pair) {
  char name[16];
  std::snprintf(name, sizeof name, "Svc%c%03d", side, pair);
  return name;
}

std::string entryOf(const std::string& service, int port) {
  return service + "    " + std::to_string(port) + "/tcp              # Corvanta\n";
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

/// Names in the directory of the services file other than "services".
std::vector<std::string> strayFiles(const TestMachine& machine) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(machine.host("drive_c/etc"))) {
    if (entry.path().filename() != "services") names.push_back(entry.path().filename());
  }
  return names;
}

/// `pairs` pairs of updates, the two of a pair started at the same moment:
/// each must succeed, and the file must end as the original followed by
/// every entry once, with its comment line, and nothing else.
void runConcurrentPairs(const std::string& original, int pairs) {
  TestMachine machine;
  machine.file(Services, original);
  const std::string comment = "# added by CV/CC on Mon Dec  7 00:00:00 2026\n";
  std::size_t expectedSize = original.size();
  for (int pair = 0; pair < pairs; ++pair) {
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pid_t children[2];
    for (int side = 0; side < 2; ++side) {
      const std::string service = serviceName(side == 0 ? 'A' : 'B', pair);
      children[side] = startUpdate(start, [&](ReportLog& log) {
        return addServiceEntry(log, ServicesPath, service, 6000 + side);
      });
      expectedSize += comment.size() + entryOf(service, 6000 + side).size();
    }
    ::close(start[0]);
    ::close(start[1]);
    EXPECT_EQ(waitFor(children[0]), 0) << "pair " << pair;
    EXPECT_EQ(waitFor(children[1]), 0) << "pair " << pair;
  }
  const std::string services = machine.read(Services);
  EXPECT_EQ(services.size(), expectedSize);
  EXPECT_EQ(services.compare(0, original.size(), original), 0) << "the old lines changed";
  for (int pair = 0; pair < pairs; ++pair) {
    EXPECT_EQ(occurrences(services, entryOf(serviceName('A', pair), 6000)), 1u) << pair;
    EXPECT_EQ(occurrences(services, entryOf(serviceName('B', pair), 6001)), 1u) << pair;
  }
  EXPECT_EQ(strayFiles(machine), std::vector<std::string>{});
}

}  // namespace

TEST(ServicesUpdateSafety, ConcurrentUpdatesOfASmallFileEachReadTheOthersResult) {
  runConcurrentPairs("echo 7/tcp\nhttp 80/tcp\n", 100);
}

TEST(ServicesUpdateSafety, ConcurrentUpdatesOfALargeFileEachReadTheOthersResult) {
  std::string large;
  const std::string line = "# a comment line of a large services file, numbered ";
  for (int n = 0; large.size() < 5 * 1024 * 1024; ++n) large += line + std::to_string(n) + "\n";
  runConcurrentPairs(large, 100);
}

// The replacement takes the old file's permissions and owner; a symbolic
// link stays a link, and its target gets the new content.
TEST(ServicesUpdateSafety, ModeOwnerAndSymbolicLinkSurviveAnUpdate) {
  TestMachine machine;
  for (mode_t mode : {0640, 0444}) {
    machine.file(Services, "echo 7/tcp\n");
    const std::string host = machine.host(Services).string();
    ASSERT_EQ(::chmod(host.c_str(), mode), 0);
    const bool owned = ::chown(host.c_str(), 1234, 4321) == 0;
    ReportLog log(nullptr, ThresholdErrors);
    ASSERT_EQ(addServiceEntry(log, ServicesPath, "QuorLinkStart", 5010), 0);
    struct stat st;
    ASSERT_EQ(::stat(host.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    if (owned) {
      EXPECT_EQ(st.st_uid, 1234u);
      EXPECT_EQ(st.st_gid, 4321u);
    }
  }

  machine.file("drive_c/real/services", "echo 7/tcp\n");
  std::filesystem::remove(machine.host(Services));
  std::filesystem::create_symlink("../real/services", machine.host(Services));
  ReportLog log(nullptr, ThresholdErrors);
  ASSERT_EQ(addServiceEntry(log, ServicesPath, "QuorLinkStart", 5010), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(machine.host(Services)));
  EXPECT_EQ(occurrences(machine.read("drive_c/real/services"), entryOf("QuorLinkStart", 5010)), 1u);
  EXPECT_EQ(strayFiles(machine), std::vector<std::string>{});
  EXPECT_EQ(std::filesystem::directory_iterator(machine.host("drive_c/real"))->path().filename(),
            "services");
}

// An interrupt just before each file operation of the update: the process
// ends by that interrupt, the file is as it was and no replacement is left.
// Once the interrupt would come after the last operation, the update
// completes.
TEST(ServicesUpdateSafety, AnInterruptAtAnyStepLeavesTheFileAsItWas) {
  TestMachine machine;
  const std::string original = "echo 7/tcp\r\nQuorLinkStart 5010/udp\r\nlast";
  int interrupted = 0;
  for (int n = 1; n < 1000; ++n) {
    machine.file(Services, original);
    const pid_t child = startUpdate(nullptr, [n](ReportLog& log) {
      platform::faultinjection::interruptFileOperation(n);
      return addServiceEntry(log, ServicesPath, "QuorLinkStart", 5010);
    });
    const int ended = waitFor(child);
    EXPECT_EQ(strayFiles(machine), std::vector<std::string>{}) << "interrupt " << n;
    if (ended == 0) {
      EXPECT_NE(machine.read(Services).find("QuorLinkStart    5010/tcp"), std::string::npos);
      EXPECT_GE(interrupted, 5) << "too few steps were interrupted";
      return;
    }
    ++interrupted;
    EXPECT_EQ(ended, 128 + SIGINT) << "interrupt " << n;
    EXPECT_EQ(machine.read(Services), original) << "interrupt " << n;
  }
  FAIL() << "the update never completed";
}

// An update waiting for another's lock ends at once on a hang-up or a
// termination request, leaving nothing behind.
TEST(ServicesUpdateSafety, AWaitForTheLockEndsOnAHangUp) {
  TestMachine machine;
  machine.file(Services, "echo 7/tcp\n");
  for (int signal : {SIGHUP, SIGTERM}) {
    const int held = ::open(machine.host(Services).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t child = startUpdate(nullptr, [](ReportLog& log) {
      return addServiceEntry(log, ServicesPath, "QuorLinkStart", 5010);
    });
    ::usleep(100 * 1000);  // the child reaches the wait (else it ends before it)
    ::kill(child, signal);
    EXPECT_EQ(waitFor(child), 128 + signal);
    ::close(held);
    EXPECT_EQ(machine.read(Services), "echo 7/tcp\n");
    EXPECT_EQ(strayFiles(machine), std::vector<std::string>{});
  }
}
