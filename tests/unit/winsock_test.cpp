// The emulated machine's built-in Winsock 1.1: the behaviour a Winsock
// caller relies on, reached the way the checker reaches it (LoadLibraryA and
// GetProcAddress), against the machine's configuration files and real
// sockets on 127.0.0.1.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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
  winsock::SockAddrIn loopback(std::uint16_t port) {
    winsock::SockAddrIn address{};
    address.sin_family = winsock::AfInet;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
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

  auto byAddress = procedure<winsock::GetHostByAddrFn>("gethostbyaddr");
  entry = byAddress("\x7f\x00\x00\x09", 4, winsock::AfInet);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->h_name, "QuorHost");
  EXPECT_EQ(byAddress("\x7f\x00\x00\x08", 4, winsock::AfInet), nullptr);
  EXPECT_EQ(lastError(), winsock::WsaHostNotFound);
}

TEST_F(BuiltinWinsock, ProtocolsComeFromTheProtocolFileWhenThereIsOne) {
  start();
  auto getprotobyname = procedure<winsock::GetProtoByNameFn>("getprotobyname");
  ASSERT_NE(getprotobyname("icmp"), nullptr);
  EXPECT_EQ(getprotobyname("icmp")->p_proto, 1);
  EXPECT_EQ(getprotobyname("udp")->p_proto, 17);
  etcFile("protocol", "ip 0 IP\ntcp 6 TCP\n");
  EXPECT_EQ(getprotobyname("icmp"), nullptr);
  EXPECT_EQ(getprotobyname("TCP")->p_proto, 6);
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

TEST_F(BuiltinWinsock, SocketErrorsCarryWinsockCodes) {
  start();
  auto socket = procedure<winsock::SocketFn>("socket");
  auto bind = procedure<winsock::BindFn>("bind");
  auto connect = procedure<winsock::ConnectFn>("connect");
  auto closesocket = procedure<winsock::CloseSocketFn>("closesocket");
  auto getsockname = procedure<winsock::GetSockNameFn>("getsockname");

  // A port that nobody listens on: bound by the test, then closed.
  winsock::Socket probe = socket(2, 1, 0);
  winsock::SockAddrIn address = loopback(0);
  winsock::SockAddrIn bound{};
  int length = sizeof bound;
  EXPECT_EQ(getsockname(probe, reinterpret_cast<winsock::SockAddr*>(&bound), &length), -1);
  EXPECT_EQ(lastError(), 10022);
  ASSERT_EQ(bind(probe, reinterpret_cast<winsock::SockAddr*>(&address), sizeof address), 0);
  ASSERT_EQ(getsockname(probe, reinterpret_cast<winsock::SockAddr*>(&bound), &length), 0);
  EXPECT_EQ(closesocket(probe), 0);
  EXPECT_EQ(closesocket(probe), -1);
  EXPECT_EQ(lastError(), 10038);

  winsock::Socket client = socket(2, 1, 0);
  EXPECT_EQ(connect(client, reinterpret_cast<winsock::SockAddr*>(&bound), sizeof bound), -1);
  EXPECT_EQ(lastError(), winsock::WsaEconnrefused);
  closesocket(client);

  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in host{};
  host.sin_family = AF_INET;
  host.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t hostLength = sizeof host;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&host), sizeof host), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&host), &hostLength);
  winsock::Socket rival = socket(2, 1, 0);
  winsock::SockAddrIn taken = loopback(ntohs(host.sin_port));
  EXPECT_EQ(bind(rival, reinterpret_cast<winsock::SockAddr*>(&taken), sizeof taken), -1);
  EXPECT_EQ(lastError(), winsock::WsaEaddrinuse);
  closesocket(rival);
  ::close(listener);
}

TEST_F(BuiltinWinsock, SelectWaitsOnWindowsSocketSets) {
  start();
  auto socket = procedure<winsock::SocketFn>("socket");
  auto bind = procedure<winsock::BindFn>("bind");
  auto sendto = procedure<winsock::SendToFn>("sendto");
  auto select = procedure<winsock::SelectFn>("select");
  auto recvfrom = procedure<winsock::RecvFromFn>("recvfrom");
  auto getsockname = procedure<winsock::GetSockNameFn>("getsockname");

  winsock::Socket s = socket(2, 2, 0);
  winsock::SockAddrIn address = loopback(0);
  int length = sizeof address;
  ASSERT_EQ(bind(s, reinterpret_cast<winsock::SockAddr*>(&address), sizeof address), 0);
  getsockname(s, reinterpret_cast<winsock::SockAddr*>(&address), &length);

  winsock::FdSet none{};
  EXPECT_EQ(select(0, &none, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(lastError(), 10022);
  winsock::FdSet readable{1, {s}};
  winsock::TimeVal wait{0, 200000};
  auto begun = std::chrono::steady_clock::now();
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &wait), 0);
  EXPECT_EQ(readable.fd_count, 0u);
  EXPECT_GE(std::chrono::steady_clock::now() - begun, std::chrono::milliseconds(190));

  ASSERT_EQ(sendto(s, "0123456789", 10, 0, reinterpret_cast<winsock::SockAddr*>(&address),
                   sizeof address),
            10);
  readable = winsock::FdSet{1, {s}};
  EXPECT_EQ(select(0, &readable, nullptr, nullptr, &wait), 1);
  EXPECT_EQ(readable.fd_count, 1u);
  char buffer[4];
  winsock::SockAddrIn from{};
  int fromLength = sizeof from;
  // A datagram larger than the buffer is an error, as on Winsock.
  EXPECT_EQ(recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<winsock::SockAddr*>(&from),
                     &fromLength),
            -1);
  EXPECT_EQ(lastError(), 10040);
  EXPECT_EQ(from.sin_port, address.sin_port);
  procedure<winsock::CloseSocketFn>("closesocket")(s);
}

#endif  // _WIN32
