// The emulated machine's built-in Winsock 1.1, reached the way the checker
// reaches it (LoadLibraryA and GetProcAddress), where the probe tests
// (tcp_checks, ping) do not reach it through the checker: calls before
// WSAStartup, service aliases, hosts file lines that are not IPv4, and the
// address texts inet_addr takes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <cstring>

#include "net/socket_library.h"
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

  platform::ModuleHandle module_ = nullptr;
  bool started_ = false;
};

}  // namespace

TEST_F(BuiltinWinsock, NamesComeFromTheMachinesFilesOnceStarted) {
  auto byName = procedure<winsock::GetHostByNameFn>("gethostbyname");
  auto getservbyname = procedure<winsock::GetServByNameFn>("getservbyname");
  EXPECT_EQ(byName("localhost"), nullptr);
  EXPECT_EQ(lastError(), winsock::WsaNotInitialised);
  EXPECT_EQ(platform::procedureAddress(module_, "WSAStartupEx"), nullptr);
  winsock::WsaData data;
  ASSERT_EQ(procedure<winsock::WsaStartupFn>("WSAStartup")(0x0101, &data), 0);
  started_ = true;
  EXPECT_EQ(data.wVersion, 0x0101);
  EXPECT_STREQ(data.szSystemStatus, "Running");

  etcFile("services", "QuorLinkStart 5010/udp\r\nQuorLinkAttach\t5011/tcp  qlattach  # port\r\n");
  winsock::ServEnt* service = getservbyname("qlattach", "tcp");
  ASSERT_NE(service, nullptr);
  EXPECT_STREQ(service->s_name, "QuorLinkAttach");
  EXPECT_STREQ(service->s_aliases[0], "qlattach");
  EXPECT_EQ(ntohs(static_cast<std::uint16_t>(service->s_port)), 5011);
  EXPECT_EQ(getservbyname("QuorLinkStart", "tcp"), nullptr);
  EXPECT_EQ(lastError(), winsock::WsaNoData);

  faults("resolver hosts-only\n");
  etcFile("hosts", "::1 ip6-localhost\n127.0.0.9 QuorHost qh # server\n127.0.0.9 second\n");
  winsock::HostEnt* host = byName("QH");
  ASSERT_NE(host, nullptr);
  EXPECT_STREQ(host->h_name, "QuorHost");
  EXPECT_EQ(std::memcmp(host->h_addr_list[0], "\x7f\x00\x00\x09", 4), 0);
  EXPECT_EQ(host->h_addr_list[1], nullptr);
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

// A scoped socket closes its socket once, at the end of its scope, and
// leaves an invalid one alone (closing it would set WSAENOTSOCK).
TEST_F(BuiltinWinsock, AScopedSocketIsClosedWhenItsScopeEnds) {
  SocketLibrary sockets;
  ASSERT_TRUE(sockets.open(*log));
  int fd = -1;
  {
    const ScopedSocket s(sockets, sockets.socket(winsock::AfInet, winsock::SockStream, 0));
    ASSERT_TRUE(s.valid());
    fd = static_cast<int>(s.get());
    EXPECT_NE(::fcntl(fd, F_GETFD), -1);
  }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
  EXPECT_EQ(sockets.socket(99, winsock::SockStream, 0), winsock::InvalidSocket);
  { const ScopedSocket none(sockets, winsock::InvalidSocket); }
  EXPECT_EQ(sockets.lastError(), winsock::WsaEafnosupport);
}
