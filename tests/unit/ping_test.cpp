// The ICMP ping: the echo request's bytes, which datagrams answer it, and
// the ping's findings in network namespaces that each test makes itself
// (nothing is sent anywhere but to their own loopback).
#include "net/ping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const std::uint32_t Target = 0x0100007F;  // 127.0.0.1 in network byte order
const std::uint32_t Other = 0x0200007F;   // 127.0.0.2

Bytes request() {
  unsigned char buffer[PingBufferSize];
  buildEchoRequest(buffer);
  return Bytes(buffer, buffer + EchoRequestLength);
}

Bytes withChecksum(Bytes icmp) {
  icmp[2] = icmp[3] = 0;
  std::uint16_t sum = internetChecksum(icmp.data(), icmp.size());
  icmp[2] = sum & 0xFF;
  icmp[3] = sum >> 8;
  return icmp;
}

Bytes echoReply(unsigned char idLow, unsigned char seqLow) {
  Bytes icmp(32, 0);
  icmp[4] = idLow;
  icmp[6] = seqLow;
  return withChecksum(icmp);
}

/// An ICMP error message quoting `quotedDatagram` (IP header and ICMP).
Bytes errorAbout(unsigned char type, unsigned char code, const Bytes& quotedDatagram) {
  Bytes icmp(8 + 28, 0);
  icmp[0] = type;
  icmp[1] = code;
  std::copy(quotedDatagram.begin(), quotedDatagram.begin() + 28, icmp.begin() + 8);
  return withChecksum(icmp);
}

/// An IPv4 datagram from `source` to the target that carries `icmp`.
Bytes datagram(std::uint32_t source, const Bytes& icmp) {
  Bytes result(20, 0);
  result[0] = 0x45;
  result[9] = 1;  // ICMP
  std::memcpy(&result[12], &source, 4);
  std::memcpy(&result[16], &Target, 4);
  result.resize(20 + icmp.size());
  std::copy(icmp.begin(), icmp.end(), result.begin() + 20);
  return result;
}

bool answers(const Bytes& d, std::uint32_t source) {
  return answersEchoRequest(d.data(), d.size(), source, Target);
}

}  // namespace

TEST(InternetChecksum, TheEchoRequestBeginsWithItsKnownBytes) {
  const Bytes bytes = request();
  const Bytes start = {0x08, 0x00, 0xDE, 0xFE, 0xEF, 0x00, 0x2A, 0x00};
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), start);
  EXPECT_EQ(internetChecksum(bytes.data(), bytes.size()), 0);  // a finished message checks
  const unsigned char odd[] = {0x01, 0x02, 0x03};
  EXPECT_EQ(internetChecksum(odd, sizeof odd), 0xFFFF - 0x0201 - 0x0003);
  const unsigned char carry[] = {0xFF, 0xFF, 0x02, 0x00};  // 0xFFFF + 2 folds to 2
  EXPECT_EQ(internetChecksum(carry, sizeof carry), 0xFFFD);
}

TEST(EchoAnswer, OnlyTheReplyOrAnErrorAboutThisRequestAnswersIt) {
  const Bytes ourRequest = datagram(Target, request());
  EXPECT_TRUE(answers(datagram(Target, echoReply(0xEF, 0x2A)), Target));
  EXPECT_FALSE(answers(ourRequest, Target));
  EXPECT_FALSE(answers(datagram(Target, echoReply(0xEE, 0x2A)), Target));
  EXPECT_FALSE(answers(datagram(Target, echoReply(0xEF, 0x2B)), Target));
  EXPECT_FALSE(answers(datagram(Other, echoReply(0xEF, 0x2A)), Other));

  // Errors come from a router, not the target: what they quote decides.
  EXPECT_TRUE(answers(datagram(Other, errorAbout(3, 1, ourRequest)), Other));
  EXPECT_TRUE(answers(datagram(Other, errorAbout(11, 0, ourRequest)), Other));
  Bytes elsewhere = ourRequest;
  elsewhere[16 + 3] = 9;  // our request, but to 127.0.0.9
  EXPECT_FALSE(answers(datagram(Other, errorAbout(3, 1, elsewhere)), Other));
  Bytes another = ourRequest;
  another[20 + 4] = 0x77;  // someone else's identifier
  EXPECT_FALSE(answers(datagram(Other, errorAbout(11, 0, another)), Other));
  EXPECT_FALSE(answers(datagram(Other, errorAbout(13, 0, ourRequest)), Other));

  const Bytes full = datagram(Other, errorAbout(3, 1, ourRequest));
  for (std::size_t cut : {std::size_t(0), std::size_t(19), std::size_t(27), full.size() - 1}) {
    EXPECT_FALSE(answersEchoRequest(full.data(), cut, Other, Target)) << cut;
  }
}

#ifndef _WIN32

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "net_test_support.h"

namespace {

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

#endif  // _WIN32
