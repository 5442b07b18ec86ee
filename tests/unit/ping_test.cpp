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

Bytes ipHeader(std::uint32_t source, std::uint32_t destination) {
  Bytes header(20, 0);
  header[0] = 0x45;
  header[9] = 1;  // ICMP
  std::memcpy(&header[12], &source, 4);
  std::memcpy(&header[16], &destination, 4);
  return header;
}

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

Bytes datagram(std::uint32_t source, const Bytes& icmp) {
  Bytes result = ipHeader(source, Target);
  result.resize(result.size() + icmp.size());
  std::copy(icmp.begin(), icmp.end(), result.end() - static_cast<std::ptrdiff_t>(icmp.size()));
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
#include <functional>
#include <thread>

#include "net/host_resolution.h"
#include "net_test_support.h"

namespace {

/// Plays the network in a test's namespace: waits for our echo request on
/// a raw socket of its own and answers it with the datagrams it is given,
/// each sent from its source address to 127.0.0.1.
class Responder {
 public:
  struct Answer {
    std::uint32_t source;
    std::function<Bytes(const Bytes& request)> icmp;
  };

  explicit Responder(std::vector<Answer> answers) : answers_(std::move(answers)) {
    listen_ = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    thread_ = std::thread([this] { run(); });
  }
  ~Responder() {
    thread_.join();
    ::close(listen_);
  }

 private:
  void run() {
    Bytes seen;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      unsigned char buffer[256];
      ssize_t n = ::recv(listen_, buffer, sizeof buffer, 0);
      if (n >= 28 && buffer[20] == 8 && buffer[24] == 0xEF && buffer[26] == 0x2A) {
        seen.assign(buffer, buffer + n);
        break;
      }
    }
    if (seen.empty()) return;
    for (const Answer& answer : answers_) {
      int s = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
      sockaddr_in from{};
      from.sin_family = AF_INET;
      from.sin_addr.s_addr = answer.source;
      ::bind(s, reinterpret_cast<sockaddr*>(&from), sizeof from);
      sockaddr_in to{};
      to.sin_family = AF_INET;
      to.sin_addr.s_addr = Target;
      Bytes icmp = answer.icmp(seen);
      ::sendto(s, icmp.data(), icmp.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
      ::close(s);
    }
  }

  std::vector<Answer> answers_;
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

  /// The log without its start-up line.
  std::vector<std::string> findings() const {
    std::vector<std::string> lines = logLines();
    if (!lines.empty() && lines[0] == net_test::Version) lines.erase(lines.begin());
    return lines;
  }

  net_test::PrivateNetwork network_;
  SocketLibrary sockets_;
};

}  // namespace

TEST_F(PingInNamespace, NoAnswerWithinThreeSecondsIsATimeout) {
  ASSERT_TRUE(network_.bringLoopbackUp() && network_.ignoreEchoRequests()) << network_.reason();
  auto begun = std::chrono::steady_clock::now();
  EXPECT_FALSE(pingHost(sockets_, *log, Target));
  auto waited = std::chrono::steady_clock::now() - begun;
  EXPECT_GE(waited, std::chrono::milliseconds(2900));
  EXPECT_LT(waited, std::chrono::milliseconds(4500));
  // Our own request came back on the raw socket and was not taken for an answer.
  EXPECT_EQ(findings(), std::vector<std::string>{"CHK0312A: Ping timeout after 3s."});
}

TEST_F(PingInNamespace, ANetworkWithoutRouteIsUnreachable) {
  EXPECT_FALSE(pingHost(sockets_, *log, Target));  // the loopback stays down
  EXPECT_EQ(findings(), std::vector<std::string>{
                            "CHK0322A: Ping failed because the network or host is unreachable."});
}

TEST_F(PingInNamespace, DatagramsThatAreNotTheAnswerAreSkipped) {
  ASSERT_TRUE(network_.bringLoopbackUp() && network_.ignoreEchoRequests()) << network_.reason();
  // Our own request arrives first; then a reply to someone else, our reply
  // but from another host, an error about another request, and at last the
  // answer: the target is unreachable.
  Responder network({
      {Target, [](const Bytes&) { return echoReply(0x11, 0x2A); }},
      {Other, [](const Bytes&) { return echoReply(0xEF, 0x2A); }},
      {Other,
       [](const Bytes& request) {
         Bytes another = request;
         another[20 + 6] = 0x01;  // another sequence number
         return errorAbout(11, 0, another);
       }},
      {Other, [](const Bytes& request) { return errorAbout(3, 1, request); }},
  });
  EXPECT_FALSE(pingHost(sockets_, *log, Target));
  EXPECT_EQ(findings(),
            (std::vector<std::string>{"CHK--DBG: recv: type = 3, id = 0, seq = 0",
                                      "CHK0313R: Server host 127.0.0.1 is unreachable."}));
}

TEST_F(PingInNamespace, AnotherAnswerAboutTheRequestIsUnexpected) {
  ASSERT_TRUE(network_.bringLoopbackUp() && network_.ignoreEchoRequests()) << network_.reason();
  Responder network({{Other, [](const Bytes& request) { return errorAbout(11, 0, request); }}});
  EXPECT_FALSE(pingHost(sockets_, *log, Target));
  EXPECT_EQ(findings(),
            (std::vector<std::string>{
                "CHK--DBG: recv: type = 11, id = 0, seq = 0",
                "CHK0315A: Ping expected ICMP_ECHOREPLY, got message type 11 (code 0)."}));
}

#endif  // _WIN32
