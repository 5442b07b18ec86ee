// Shared pieces of the network probe tests (POSIX hosts): a fixture with an
// emulated machine and a report log on memory, and a private
// network namespace for tests that need a network of their own. Header only,
// since the unit-test build takes *_test.cpp files.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "driver/report_log.h"
#include "host_network.h"
#include "net/etc_directory.h"
#include "net/socket_library.h"
#include "test_machine.h"

namespace net_test {

/// Where the emulated NT 4.0 machine keeps services, hosts and protocol.
inline const std::string EtcDirectory = "drive_c/WINNT/system32/drivers/etc/";
inline const std::string EtcPath = "c:\\winnt\\system32\\drivers\\etc";
inline const std::string Version =
    "CHK0301I: WinSocket version: Zorivt Winsock 1.1 emulation over BSD sockets.";

using test_support::hostName;
using test_support::rawSocketsAllowed;

#define REQUIRE_RAW_SOCKETS()                        \
  if (!net_test::rawSocketsAllowed())                \
  GTEST_SKIP() << "ping needs raw sockets (root or " \
                  "CAP_NET_RAW)"

/// A run of its own for each test (no socket session, the TCP/IP directory
/// not yet tested), on a machine of its own, with a log on memory.
class ProbeTest : public testing::Test {
 protected:
  ProbeTest() { openLog(ThresholdDebug); }

  /// Starts the log and with it the run anew, with another display
  /// threshold.
  void openLog(MessageId threshold) {
    log.reset();
    text = ReportLog::Text();
    log.emplace(text, threshold);
  }
  std::vector<std::string> logLines() const { return test_support::splitLines(text.file); }
  void etcFile(const std::string& name, const std::string& content) const {
    machine.file(EtcDirectory + name, content);
  }
  void faults(const std::string& lines) const { machine.file("faults", lines); }

  TestMachine machine;
  ReportLog::Text text;
  std::optional<ReportLog> log;
};

/// Moves the calling thread (and the threads it starts) into a new network
/// namespace of its own, and back when destroyed. Nothing sent there can
/// leave it. Its loopback interface starts down.
class PrivateNetwork {
 public:
  PrivateNetwork() {
    home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    entered_ = home_ >= 0 && ::unshare(CLONE_NEWNET) == 0;
    if (!entered_)
      reason_ = std::string("cannot make a network namespace: ") + std::strerror(errno);
  }
  ~PrivateNetwork() {
    if (entered_) ::setns(home_, CLONE_NEWNET);
    if (home_ >= 0) ::close(home_);
  }
  PrivateNetwork(const PrivateNetwork&) = delete;
  PrivateNetwork& operator=(const PrivateNetwork&) = delete;

  bool entered() const { return entered_; }
  const std::string& reason() const { return reason_; }

  bool bringLoopbackUp() {
    int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strcpy(request.ifr_name, "lo");
    bool ok = s >= 0 && ::ioctl(s, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    ok = ok && ::ioctl(s, SIOCSIFFLAGS, &request) == 0;
    if (s >= 0) ::close(s);
    if (!ok) reason_ = "cannot bring the namespace's loopback up";
    return ok;
  }

  /// The namespace's kernel stops answering echo requests itself.
  bool ignoreEchoRequests() {
    int fd = ::open("/proc/sys/net/ipv4/icmp_echo_ignore_all", O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && ::write(fd, "1", 1) == 1;
    if (fd >= 0) ::close(fd);
    if (!ok) reason_ = "cannot make the namespace ignore echo requests";
    return ok;
  }

 private:
  int home_ = -1;
  bool entered_ = false;
  std::string reason_;
};

}  // namespace net_test
