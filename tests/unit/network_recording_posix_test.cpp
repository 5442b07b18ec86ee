// Recording the network probes on the built-in Winsock and replaying them
// from the machine's network file: the replayed run reports exactly what
// the live one did, though the machine's TCP/IP files and the network have
// changed since; faults still apply; a call the file lacks fails at once
// and says so.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "net/tcp_checks.h"
#include "net_test_support.h"
#include "platform/library.h"
#include "platform/network_recording.h"

namespace {

using Lines = std::vector<std::string>;

class NetworkReplay : public net_test::ProbeTest {
 protected:
  /// The probes of a run: the local host and the services (with the local
  /// server test of debug mode), then server hosts by name and by address.
  void probe(const char* host) {
    CheckOptions options;
    options.version = 230;
    options.testAvailability = true;
    checkTcpProtocol(*log, options);
    testServerConnection(*log, options, host);
  }
  void etcFiles(const std::string& port) {
    etcFile("services", "QuorLinkStart 5010/tcp\nQuorLinkAttach " + port + "/tcp qlattach\n");
    etcFile("hosts", "127.0.0.1 " + net_test::hostName() + "\n127.0.0.9 quorhost\n");
  }
};

/// A TCP listener on 127.0.0.1 (inside the test's network namespace).
int listenOn(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, 4);
  return fd;
}

}  // namespace

TEST_F(NetworkReplay, AReplayedRunReportsWhatTheRecordedOneDid) {
  REQUIRE_RAW_SOCKETS();
  Lines live;
  std::string recorded;
  {
    net_test::PrivateNetwork network;
    if (!network.entered() || !network.bringLoopbackUp()) GTEST_SKIP() << network.reason();
    etcFiles("5011");
    platform::startNetworkRecording();
    probe("quorhost");  // pinged, then refused
    const int listener = listenOn(5011);
    probe("127.0.0.1");  // attach port in use; accepted
    ::close(listener);
    probe("nohost");  // not found
    ASSERT_TRUE(network.ignoreEchoRequests());
    probe("127.0.0.1");  // the ping times out
    recorded = platform::networkRecordingText();
    platform::stopNetworkRecording();
    live = logLines();
  }
  for (const char* finding :
       {"CHK0314I: Ping quorhost successful.", "CHK0320A: Quorlink is not running at quorhost.",
        "CHK0326I: Local QuorLink appears to be running.",
        "CHK0319I: Successfully connected to Quorlink at 127.0.0.1.",
        "CHK0304R: Server host 'nohost' not found.", "CHK0312A: Ping timeout after 3s."}) {
    EXPECT_NE(std::find(live.begin(), live.end(), finding), live.end()) << finding;
  }

  // The machine's files now say otherwise, and the network is the host's.
  etcFiles("6011");
  etcFile("hosts", "");
  machine.file("network", recorded);
  openLog(ThresholdDebug);
  testing::internal::CaptureStderr();
  probe("quorhost");
  probe("127.0.0.1");
  probe("nohost");
  probe("127.0.0.1");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(logLines(), live);

  // The faults file acts on top of the replay (of a file written anew,
  // which starts the replay from its first call again).
  faults("raw-sockets denied\n");
  machine.file("network", "# replayed again\n" + recorded);
  openLog(ThresholdDebug);
  probe("quorhost");
  EXPECT_NE(text.file.find("CHK0317I"), std::string::npos) << text.file;
}

TEST_F(NetworkReplay, ACallWithoutARecordFailsAtOnceAndSaysSoOnce) {
  machine.file("network",
               "WSAStartup 1.1 -> 0\n  version 1.1\n  description \"Recorded\"\n"
               "  status \"Running\"\nsocket 2 1 0 -> 7\n# a comment\n");
  platform::ModuleHandle module = platform::loadLibrary("wsock32");
  ASSERT_NE(module, nullptr);
  auto bind = [&](const char* name) { return platform::procedureAddress(module, name); };
  auto lastError = reinterpret_cast<winsock::WsaGetLastErrorFn>(bind("WSAGetLastError"));
  winsock::WsaData data{};
  ASSERT_EQ(reinterpret_cast<winsock::WsaStartupFn>(bind("WSAStartup"))(0x0101, &data), 0);
  EXPECT_STREQ(data.szDescription, "Recorded");
  const auto socket = reinterpret_cast<winsock::SocketFn>(bind("socket"))(2, 1, 0);
  EXPECT_EQ(socket, 7u);

  testing::internal::CaptureStderr();
  auto byName = reinterpret_cast<winsock::GetHostByNameFn>(bind("gethostbyname"));
  EXPECT_EQ(byName("corvdb"), nullptr);
  EXPECT_EQ(lastError(), winsock::WsaHostNotFound);
  EXPECT_EQ(byName("corvdb"), nullptr);
  winsock::SockAddrIn server = socketAddress(0x0900007F, 0x9313);
  EXPECT_EQ(reinterpret_cast<winsock::ConnectFn>(bind("connect"))(
                socket, reinterpret_cast<winsock::SockAddr*>(&server), sizeof server),
            winsock::SocketError);
  EXPECT_EQ(lastError(), winsock::WsaEhostunreach);
  winsock::FdSet readSet{1, {socket}};
  const winsock::TimeVal longWait{3600, 0};  // a time-out answers at once
  EXPECT_EQ(
      reinterpret_cast<winsock::SelectFn>(bind("select"))(8, &readSet, nullptr, nullptr, &longWait),
      0);
  EXPECT_EQ(readSet.fd_count, 0u);
  EXPECT_EQ(reinterpret_cast<winsock::SocketFn>(bind("socket"))(2, 1, 0), winsock::InvalidSocket);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zorivt: machine: network replay has no answer for gethostbyname \"corvdb\"\n"
            "zorivt: machine: network replay has no answer for connect 7 127.0.0.9:5011\n"
            "zorivt: machine: network replay has no answer for select 7 null null\n"
            "zorivt: machine: network replay has no answer for socket 2 1 0\n");
  // Without the host's resolver, names come from the hosts file as live.
  faults("resolver hosts-only\n");
  etcFile("hosts", "127.0.0.9 corvdb\n");
  const winsock::HostEnt* entry = byName("corvdb");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(std::memcmp(entry->h_addr_list[0], "\x7F\x00\x00\x09", 4), 0);
  reinterpret_cast<winsock::WsaCleanupFn>(bind("WSACleanup"))();
  platform::freeLibrary(module);
}
