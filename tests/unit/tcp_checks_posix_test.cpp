// The TCP/IP probes under real conditions: the emulated machine's services
// and hosts files, real raw and TCP sockets on 127.0.0.1, and, where a test
// needs ports of its own, a network namespace that the test makes itself.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "net/tcp_checks.h"
#include "net_test_support.h"

using net_test::PrivateNetwork;
using Lines = std::vector<std::string>;

namespace {

using TcpChecks = net_test::ProbeTest;

/// A TCP listener on 127.0.0.1.
class Listener {
 public:
  explicit Listener(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    listening_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::listen(fd_, 4) == 0;
  }
  ~Listener() { ::close(fd_); }
  bool listening() const { return listening_; }

 private:
  int fd_;
  bool listening_;
};

#define ENTER_LOOPBACK_NETWORK(network)                                           \
  PrivateNetwork network;                                                         \
  if (!network.entered() || !network.bringLoopbackUp()) {                         \
    GTEST_SKIP() << "needs a network namespace of its own: " << network.reason(); \
  }

}  // namespace

TEST_F(TcpChecks, Version210NeedsBothServicesAndReportsTheLocalHost) {
  const std::string host = net_test::hostName();
  etcFile("hosts", "127.0.0.1 " + host + "\n");
  CheckOptions options;
  options.version = 210;
  checkTcpProtocol(*log, options);
  checkTcpProtocol(*log, options);
  const Lines once = {"CHK0303I: Local host " + host + " has address 127.0.0.1.",
                      "CHK0306R: TCP port QuorLinkStart not found.",
                      "CHK0306R: TCP port QuorLinkAttach not found.",
                      "CHK0199I: Please check the documentation for the previous message."};
  Lines expected = {net_test::Version};
  expected.insert(expected.end(), once.begin(), once.end());
  expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(logLines(), expected);
}

TEST_F(TcpChecks, Version220NoLongerNeedsTheStartService) {
  openLog(ThresholdInfo);  // no local server test outside debug mode
  faults("resolver hosts-only\n");
  etcFile("services", "QuorLinkStart 5010/tcp\nQuorLinkAttach 5011/tcp\n");
  CheckOptions options;
  options.version = 220;
  checkTcpProtocol(*log, options);
  EXPECT_EQ(logLines(), (Lines{net_test::Version,
                               "CHK0002R: System call failed: gethostbyname() returned 11001.",
                               "CHK0302R: Could not determine IP address of local host.",
                               "CHK0308I: TCP port QuorLinkStart found at number 5010.",
                               "CHK0309I: TCP port QuorLinkStart is no longer needed.",
                               "CHK0308I: TCP port QuorLinkAttach found at number 5011."}));
}

TEST_F(TcpChecks, Version230InDebugModeTestsTheAttachPortFoundForALocalServer) {
  ENTER_LOOPBACK_NETWORK(network);
  const std::string host = net_test::hostName();
  etcFile("hosts", "127.0.0.1 " + host + "\n");
  etcFile("services", "QuorLinkAttach 6000/tcp\n");
  CheckOptions options;
  checkTcpProtocol(*log, options);
  {
    Listener server(6000);
    ASSERT_TRUE(server.listening());
    checkTcpProtocol(*log, options);
  }
  const Lines run = {
      "CHK0303I: Local host " + host + " has address 127.0.0.1.",
      "CHK0307R: TCP port QuorLinkAttach found at wrong number 6000 (should be 5011).",
      "CHK0309I: TCP port QuorLinkAttach is no longer needed."};
  Lines expected = {net_test::Version};
  expected.insert(expected.end(), run.begin(), run.end());
  expected.push_back("CHK0325I: Local QuorLink appears not to be running.");
  expected.insert(expected.end(), run.begin(), run.end());
  expected.push_back("CHK0326I: Local QuorLink appears to be running.");
  EXPECT_EQ(logLines(), expected);
}

TEST_F(TcpChecks, AMissingTcpDirectoryIsReportedOncePerRun) {
  faults("resolver hosts-only\n");
  openLog(ThresholdInfo);
  EXPECT_FALSE(validateTcpAddress(*log, "quorhost"));
  EXPECT_TRUE(validateTcpAddress(*log, ""));
  EXPECT_EQ(logLines(),
            (Lines{net_test::Version,
                   "CHK0009A: The TCP/IP directory " + net_test::EtcPath + " does not exist.",
                   "CHK0002R: System call failed: gethostbyname() returned 11001.",
                   "CHK0304R: Server host 'quorhost' not found."}));
}

TEST_F(TcpChecks, ServerHostsResolveThroughTheHostsFile) {
  REQUIRE_RAW_SOCKETS();
  faults("resolver hosts-only\n");
  etcFile("hosts", "127.0.0.2 QuorHost qh # the server\n");
  EXPECT_TRUE(validateTcpAddress(*log, "QH"));
  EXPECT_FALSE(validateTcpAddress(*log, "nosuchhost"));
  EXPECT_TRUE(validateTcpAddress(*log, "127.0.0.3"));
  EXPECT_EQ(
      logLines(),
      (Lines{
          net_test::Version, "CHK0305I: Server QuorHost has address 127.0.0.2.",
          "CHK--DBG: recv: type = 0, id = 239, seq = 42", "CHK0314I: Ping QH successful.",
          "CHK0002R: System call failed: gethostbyname() returned 11001.",
          "CHK--DBG: Parameter hostname was 'nosuchhost'",
          "CHK0304R: Server host 'nosuchhost' not found.", "CHK0329R: Host '127.0.0.3' not found.",
          "CHK--DBG: recv: type = 0, id = 239, seq = 42", "CHK0314I: Ping 127.0.0.3 successful."}));
}

TEST_F(TcpChecks, APingThatCannotStartSaysWhy) {
  etcFile("hosts", "127.0.0.1 localhost\n");
  faults("raw-sockets denied\n");
  EXPECT_FALSE(validateTcpAddress(*log, "127.0.0.1"));
  faults("raw-sockets unsupported\n");
  EXPECT_FALSE(validateTcpAddress(*log, "127.0.0.1"));
  etcFile("protocol", "ip 0 IP\ntcp 6 TCP\n");
  EXPECT_FALSE(validateTcpAddress(*log, "127.0.0.1"));
  const std::string found = "CHK0305I: Server localhost has address 127.0.0.1.";
  EXPECT_EQ(logLines(),
            (Lines{net_test::Version, found,
                   "CHK0317I: Need root user authority to create a raw socket for ping.", found,
                   "CHK0318I: Your TCP/IP does not support raw sockets.", found,
                   "CHK0311A: TCP protocol icmp not found."}));
}

TEST_F(TcpChecks, ConnectionTestReachesAServerGivenByName) {
  REQUIRE_RAW_SOCKETS();
  ENTER_LOOPBACK_NETWORK(network);
  etcFile("hosts", "127.0.0.1 quorhost\n");
  openLog(ThresholdInfo);
  CheckOptions options;
  EXPECT_TRUE(testServerConnection(*log, options, "quorhost"));
  options.testAvailability = true;
  {
    Listener server(5011);
    ASSERT_TRUE(server.listening());
    EXPECT_TRUE(testServerConnection(*log, options, "quorhost"));
  }
  EXPECT_TRUE(testServerConnection(*log, options, "quorhost"));
  const std::string found = "CHK0305I: Server quorhost has address 127.0.0.1.";
  const std::string pinged = "CHK0314I: Ping quorhost successful.";
  EXPECT_EQ(logLines(), (Lines{net_test::Version, found, pinged, found, pinged,
                               "CHK0319I: Successfully connected to Quorlink at quorhost.", found,
                               pinged, "CHK0320A: Quorlink is not running at quorhost."}));
}
