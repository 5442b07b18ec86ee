// The network file's text (escapes, tolerance of hand edits) and the
// recording of a socket library's real answers: the built-in one on POSIX,
// the system's wsock32 on Windows (under Wine in the test runs).
// (The header under test comes first: on Windows GoogleTest brings in
// <windows.h>, whose <winsock.h> makes s_addr a macro.)
#include "platform/network_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/library.h"
#include "platform/network_recording.h"
#include "platform/winsock_abi.h"
#include "test_machine.h"

namespace nt = platform::network_text;

TEST(NetworkText, EveryByteSurvivesQuotingAsPrintableText) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  const std::string text = nt::quotedBytes(all.data(), all.size());
  for (char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << static_cast<int>(c);
  std::string back;
  ASSERT_TRUE(nt::unquote(text, back));
  EXPECT_EQ(back, all);
  EXPECT_EQ(nt::quoted(nullptr), "null");
  for (const char* broken : {"\"a", "\"\\x4\"", "\"\\q\"", "\"a\"b\"", "\"\\\"", "x"}) {
    EXPECT_FALSE(nt::unquote(broken, back)) << broken;
  }
}

TEST(NetworkText, RecordsReadBackAsWrittenAndBadLinesAreSkipped) {
  nt::CallRecord record;
  record.procedure = "getservbyname";
  record.key = nt::key::getServByName("odd -> \"name\"\n", nullptr);
  record.result = "null";
  record.failed = true;
  record.error = 11004;
  nt::CallRecord host;
  host.procedure = "gethostbyname";
  host.key = nt::key::getHostByName("corvdb");
  host.result = "found";
  host.fields = {{"name", "\"corvdb.example\""}, {"address", "127.0.0.2"}};
  const std::string text = "# comment\r\n" + nt::formatRecord(record) +
                           "gethostbyname \"open -> found\n  address 1.2.3.4\n\n" +
                           "socket 2 1 0 -> 5 error x\n" + nt::formatRecord(host);
  EXPECT_EQ(nt::formatRecord(record),
            "getservbyname \"odd -> \\\"name\\\"\\x0A\" null -> null error 11004\n");

  std::size_t skipped = 0;
  const std::vector<nt::CallRecord> read = nt::parseRecords(text, skipped);
  EXPECT_EQ(skipped, 2u);  // the unterminated quote and the bad error code
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].key, record.key);
  EXPECT_TRUE(read[0].failed);
  EXPECT_EQ(read[0].error, 11004);
  EXPECT_TRUE(read[0].fields.empty());  // the skipped call's address is not taken
  EXPECT_EQ(read[1].key, "\"corvdb\"");
  EXPECT_EQ(read[1].fields, host.fields);
}

TEST(NetworkText, AddressesSocketsAndSetsReadBack) {
  winsock::SockAddrIn in{};
  in.sin_family = winsock::AfInet;
  std::memcpy(&in.sin_port, "\x13\x89", 2);  // 5001
  std::memcpy(&in.sin_addr, "\x7F\x00\x00\x09", 4);
  const auto* address = reinterpret_cast<const winsock::SockAddr*>(&in);
  EXPECT_EQ(nt::endpointText(address, sizeof in), "127.0.0.9:5001");
  EXPECT_EQ(nt::endpointText(address, 8), "short8");
  std::uint32_t host;
  std::uint16_t port;
  ASSERT_TRUE(nt::parseEndpoint("127.0.0.9:5001", host, port));
  EXPECT_EQ(std::memcmp(&host, &in.sin_addr, 4), 0);
  EXPECT_EQ(port, in.sin_port);
  for (const char* bad : {"1.2.3:4", "1.2.3.256:1", "1.2.3.4:65536", "1.2.3.-4:1", "1.2.3.4"}) {
    EXPECT_FALSE(nt::parseEndpoint(bad, host, port)) << bad;
  }
  winsock::FdSet set{};
  EXPECT_FALSE(nt::parseSet("3,,4", set));
  EXPECT_FALSE(nt::parseSet("3,", set));
  ASSERT_TRUE(nt::parseSet("3,40", set));
  EXPECT_EQ(nt::setText(&set), "3,40");
  ASSERT_TRUE(nt::parseSet("empty", set));
  EXPECT_EQ(set.fd_count, 0u);
  winsock::Socket s;
  EXPECT_FALSE(nt::parseSocket("99999999999999999999999", s));
  EXPECT_TRUE(nt::parseSocket("invalid", s) && s == winsock::InvalidSocket);
}

// The system's socket library on Windows, the built-in one on POSIX hosts:
// what the recording keeps is what the caller was given.
TEST(NetworkRecording, KeepsTheAnswersOfTheRealSocketLibrary) {
  TestMachine machine;
  platform::startNetworkRecording();
  platform::ModuleHandle module = platform::loadLibrary("wsock32");
  ASSERT_NE(module, nullptr);
  auto startup =
      reinterpret_cast<winsock::WsaStartupFn>(platform::procedureAddress(module, "WSAStartup"));
  auto byName = reinterpret_cast<winsock::GetHostByNameFn>(
      platform::procedureAddress(module, "gethostbyname"));
  auto cleanup =
      reinterpret_cast<winsock::WsaCleanupFn>(platform::procedureAddress(module, "WSACleanup"));
  ASSERT_TRUE(startup && byName && cleanup);
  winsock::WsaData data{};
  ASSERT_EQ(startup(winsock::Version11, &data), 0);
  const winsock::HostEnt* entry = byName("localhost");
  ASSERT_NE(entry, nullptr);
  const std::string name = entry->h_name;
  cleanup();
  const std::string text = platform::networkRecordingText();
  const std::vector<std::string> summary = platform::networkRecordingSummary();
  platform::stopNetworkRecording();
  platform::freeLibrary(module);

  const std::string expected = "WSAStartup 1.1 -> 0\n  version 1.1\n  high-version " +
                               nt::versionText(data.wHighVersion) + "\n  description " +
                               nt::quoted(data.szDescription) + "\n  status \"Running\"\n";
  EXPECT_EQ(text.compare(0, expected.size(), expected), 0) << text;
  EXPECT_NE(text.find("gethostbyname \"localhost\" -> found\n  name " + nt::quoted(name.c_str())),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n  address 127.0.0.1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nWSACleanup -> 0\n"), std::string::npos) << text;
  ASSERT_EQ(summary.size(), 3u);
  EXPECT_EQ(summary[1], "gethostbyname \"localhost\" -> 127.0.0.1");
  EXPECT_EQ(platform::networkRecordingText(), "");
}
