// The network replay end to end: a run recorded live (by the checker's own
// core, with its Winsock calls written to a file) and replayed by zorivt
// from the machine's network file gives the same log, though the machine's
// hosts file no longer answers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "harness.h"

namespace {

using e2e::RunResult;
using e2e::TestMachine;

/// Runs the machine's checker runs with another program for a while.
class ScopedChecker {
 public:
  explicit ScopedChecker(const char* binary) {
    const char* saved = std::getenv("ZORIVT_E2E_BINARY");
    if (saved != nullptr) saved_ = saved;
    hadOne_ = saved != nullptr;
    ::setenv("ZORIVT_E2E_BINARY", binary, 1);
  }
  ~ScopedChecker() {
    if (hadOne_) {
      ::setenv("ZORIVT_E2E_BINARY", saved_.c_str(), 1);
    } else {
      ::unsetenv("ZORIVT_E2E_BINARY");
    }
  }

 private:
  std::string saved_;
  bool hadOne_ = false;
};

}  // namespace

TEST(NetworkReplay, AReplayedRunWritesTheLogOfTheRecordedOne) {
  SKIP_ON_WINDOWS_BUILD("the recording driver is built for the native checker");
  if (std::string(ZORIVT_NETWORK_RECORDER).empty()) GTEST_SKIP() << "no recording driver built";
  TestMachine machine;
  const std::string etc = e2e::windowsDirectoryOnMachine() + "/system32/drivers/etc/";
  machine
      .file(etc + "hosts",
            "127.0.0.1 localhost\n127.0.0.1 " + e2e::hostName() + "\n127.0.0.9 quorhost\n")
      .file(etc + "services", "QuorLinkAttach 5011/tcp\n")
      .file("drive_c/zorpisrv.exe", "")
      .file("drive_c/zorbobcl.exe", "")
      .env("ZOR_PROTOCOL", "TCI")
      .env("ZOR_BUNDLE_SERVER", "ZORBUN,quorhost,TCI");
  const std::string recording = (machine.root() / "recorded-network").string();
  RunResult live;
  {
    ScopedChecker recorder(ZORIVT_NETWORK_RECORDER);
    live = machine.run({recording, "-t", "-d"});
  }
  ASSERT_EQ(live.exitStatus, 0) << live.command;
  ASSERT_FALSE(live.log.empty());
  bool pinged = false;
  for (const std::string& line : live.log) pinged = pinged || line.rfind("CHK0314I", 0) == 0;
  EXPECT_TRUE(pinged || !e2e::rawSocketsAllowed()) << "no ping in the recorded run";

  machine.file(etc + "hosts", "").file("network", test_support::readFile(recording));
  const RunResult replayed = machine.run({"-t", "-d"});
  EXPECT_EQ(replayed.exitStatus, 0);
  EXPECT_ERR(replayed, live.err);
  ASSERT_EQ(replayed.log.size(), live.log.size()) << replayed.command;
  for (std::size_t i = 0; i < live.log.size(); ++i) {
    if (e2e::isStartLine(live.log[i]) && e2e::isStartLine(replayed.log[i])) continue;
    EXPECT_EQ(replayed.log[i], live.log[i]) << "line " << i + 1;
  }
}
