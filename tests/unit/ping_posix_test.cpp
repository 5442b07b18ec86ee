// The ping's findings in network namespaces that each test makes itself
// (nothing is sent anywhere but to their own loopback).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "icmp_messages.h"
#include "net/ping.h"
#include "net_test_support.h"

namespace {

using namespace icmp_test;

/// Plays the network in a test's namespace: once our echo request shows on
/// a raw socket of its own, sends each ICMP message from its source address
/// to 127.0.0.1.
class Responder {
 public:
  explicit Responder(std::vector<std::pair<std::uint32_t, Bytes>> answers)
      : answers_(std::move(answers)),
        listen_(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP)),
        thread_([this] { run(); }) {}
  ~Responder() {
    thread_.join();
    ::close(listen_);
  }

 private:
  void run() {
    bool seen = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!seen && std::chrono::steady_clock::now() < until) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      unsigned char buffer[256];
      ssize_t n = ::recv(listen_, buffer, sizeof buffer, 0);
      seen = n >= 28 && buffer[20] == 8 && buffer[24] == 0xEF && buffer[26] == 0x2A;
    }
    for (const auto& [source, icmp] : answers_) {
      if (!seen) break;
      int s = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = source;
      ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
      address.sin_addr.s_addr = Target;
      ::sendto(s, icmp.data(), icmp.size(), 0, reinterpret_cast<sockaddr*>(&address),
               sizeof address);
      ::close(s);
    }
  }

  std::vector<std::pair<std::uint32_t, Bytes>> answers_;
  int listen_;
  std::thread thread_;
};

class PingInNamespace : public net_test::ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    REQUIRE_RAW_SOCKETS();
    if (!network_.entered()) GTEST_SKIP() << network_.reason();
    ASSERT_TRUE(sockets_.open(*log));
  }

  net_test::PrivateNetwork network_;
  SocketLibrary sockets_;
};

}  // namespace

// In turn: with the loopback down the network is unreachable; with it up
// and nobody answering, the ping times out after three seconds, our own
// request coming back on the raw socket not taken for an answer; datagrams
// that are not the answer (a reply to someone else, our reply but from
// another host, an error about another request) are skipped until the
// answer comes: the target is unreachable; and an error about the request
// that is no answer a ping expects is unexpected.
TEST_F(PingInNamespace, FindingsOfEachAnswerOrNone) {
  EXPECT_FALSE(pingHost(sockets_, *log, Target));
  ASSERT_TRUE(network_.bringLoopbackUp() && network_.ignoreEchoRequests()) << network_.reason();
  auto begun = std::chrono::steady_clock::now();
  EXPECT_FALSE(pingHost(sockets_, *log, Target));
  auto waited = std::chrono::steady_clock::now() - begun;
  EXPECT_GE(waited, std::chrono::milliseconds(2900));
  EXPECT_LT(waited, std::chrono::milliseconds(4500));
  const Bytes ourRequest = datagram(Target, request());
  Bytes another = ourRequest;
  another[20 + 6] = 0x01;  // another sequence number
  {
    Responder network({{Target, echoReply(0x11, 0x2A)},
                       {Other, echoReply(0xEF, 0x2A)},
                       {Other, errorAbout(11, 0, another)},
                       {Other, errorAbout(3, 1, ourRequest)}});
    EXPECT_FALSE(pingHost(sockets_, *log, Target));
  }
  {
    Responder network({{Other, errorAbout(11, 0, ourRequest)}});
    EXPECT_FALSE(pingHost(sockets_, *log, Target));
  }
  EXPECT_EQ(
      logLines(),
      (std::vector<std::string>{
          net_test::Version, "CHK0322A: Ping failed because the network or host is unreachable.",
          "CHK0312A: Ping timeout after 3s.", "CHK--DBG: recv: type = 3, id = 0, seq = 0",
          "CHK0313R: Server host 127.0.0.1 is unreachable.",
          "CHK--DBG: recv: type = 11, id = 0, seq = 0",
          "CHK0315A: Ping expected ICMP_ECHOREPLY, got message type 11 (code 0)."}));
}
