// The ICMP ping: the echo request's bytes and which datagrams answer it.
#include "net/ping.h"

#include <gtest/gtest.h>

#include <vector>

#include "icmp_messages.h"

namespace {

using namespace icmp_test;

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
