// The emulated machine's built-in Winsock 1.1: the behaviour a Winsock
// caller relies on, reached the way the checker reaches it (LoadLibraryA and
// GetProcAddress), against the machine's configuration files. Its sockets
// are the probe tests' part (tcp_checks and ping), through the checker.

#include <gtest/gtest.h>
#include <netinet/in.h>

#include <cstring>

#include "net_test_support.h"
#include "platform/library.h"
#include "platform/winsock_abi.h"

namespace {

class BuiltinWinsock : public net_test::ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    module_ = platform::loadLibrary("WSOCK32");
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (started_) procedure<winsock::WsaCleanupFn>("WSACleanup")();
    platform::freeLibrary(module_);
    ProbeTest::TearDown();
  }

  template <typename Fn>
  Fn procedure(const char* name) {
    platform::ProcedureAddress address = platform::procedureAddress(module_, name);
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<Fn>(address);
  }
  int lastError() { return procedure<winsock::WsaGetLastErrorFn>("WSAGetLastError")(); }
  void start() {
    winsock::WsaData data;
    ASSERT_EQ(procedure<winsock::WsaStartupFn>("WSAStartup")(0x0101, &data), 0);
    started_ = true;
  }

  platform::ModuleHandle module_ = nullptr;
  bool started_ = false;
};

}  // namespace

TEST_F(BuiltinWinsock, CallsFailUntilStartedAndStartUpDescribesTheLayer) {
  EXPECT_EQ(procedure<winsock::GetHostByNameFn>("gethostbyname")("localhost"), nullptr);
  EXPECT_EQ(lastError(), winsock::WsaNotInitialised);
  EXPECT_EQ(procedure<winsock::SocketFn>("socket")(2, 1, 0), winsock::InvalidSocket);
  EXPECT_EQ(lastError(), winsock::WsaNotInitialised);
  EXPECT_EQ(platform::procedureAddress(module_, "WSAStartupEx"), nullptr);

  winsock::WsaData data;
  ASSERT_EQ(procedure<winsock::WsaStartupFn>("WSAStartup")(0x0101, &data), 0);
  started_ = true;
  EXPECT_EQ(data.wVersion, 0x0101);
  EXPECT_STREQ(data.szDescription, "Zorivt Winsock 1.1 emulation over BSD sockets");
  EXPECT_STREQ(data.szSystemStatus, "Running");
}

TEST_F(BuiltinWinsock, ServicesComeFromTheMachinesServicesFile) {
  start();
  net_test::ProbeTest::etcFile("services",
                               "# services\r\nQuorLinkStart 5010/udp\r\n"
                               "QuorLinkAttach\t5011/tcp  qlattach  # the attach port\r\n");
  auto getservbyname = procedure<winsock::GetServByNameFn>("getservbyname");
  winsock::ServEnt* entry = getservbyname("qlattach", "tcp");
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->s_name, "QuorLinkAttach");
  EXPECT_STREQ(entry->s_proto, "tcp");
  EXPECT_STREQ(entry->s_aliases[0], "qlattach");
  EXPECT_EQ(ntohs(static_cast<std::uint16_t>(entry->s_port)), 5011);
  EXPECT_EQ(getservbyname("QuorLinkStart", "tcp"), nullptr);
  EXPECT_EQ(lastError(), winsock::WsaNoData);
  EXPECT_EQ(getservbyname("quorlinkattach", "tcp"), nullptr);
}

TEST_F(BuiltinWinsock, HostsFileAnswersBeforeTheResolver) {
  start();
  faults("resolver hosts-only\n");
  etcFile("hosts", "::1 ip6-localhost\n127.0.0.9 QuorHost qh # server\n127.0.0.9 second\n");
  auto byName = procedure<winsock::GetHostByNameFn>("gethostbyname");
  winsock::HostEnt* entry = byName("QH");
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->h_name, "QuorHost");
  EXPECT_EQ(entry->h_length, 4);
  EXPECT_EQ(std::memcmp(entry->h_addr_list[0], "\x7f\x00\x00\x09", 4), 0);
  EXPECT_EQ(entry->h_addr_list[1], nullptr);
  EXPECT_EQ(byName("ip6-localhost"), nullptr);
  EXPECT_EQ(lastError(), winsock::WsaHostNotFound);
}

TEST_F(BuiltinWinsock, AddressTextsFollowInetAddr) {
  auto inet_addr = procedure<winsock::InetAddrFn>("inet_addr");
  auto inet_ntoa = procedure<winsock::InetNtoaFn>("inet_ntoa");
  const std::uint32_t loopback = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(inet_addr("127.0.0.1"), loopback);
  EXPECT_EQ(inet_addr("127.1"), loopback);
  EXPECT_EQ(inet_addr("0x7f.0.0.01"), loopback);
  EXPECT_EQ(inet_addr("0.0.0.0"), 0u);
  for (const char* bad : {"", "256.0.0.1", "1.2.3.4.5", "1.2.3.x", "08.1.1.1", "quorhost"}) {
    EXPECT_EQ(inet_addr(bad), winsock::InaddrNone) << bad;
  }
  EXPECT_STREQ(inet_ntoa(winsock::InAddr{inet_addr("10.1.200.3")}), "10.1.200.3");
}
