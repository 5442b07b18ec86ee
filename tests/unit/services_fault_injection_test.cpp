// Every file operation of the services file update is made to fail in
// turn: after each failure the services file must be byte for byte what it
// was, and the update must report the failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "driver/report_log.h"
#include "net/services_file.h"
#include "platform/fault_injection.h"
#include "test_machine.h"

namespace {

const std::string Original =
    "echo                7/tcp\r\n"
    "QuorLinkStart    5010/udp      # an old datagram entry\r\n"
    "http               80/tcp    www www-http\r\n"
    "last line without a line end";

/// The updated file: the udp line kept as a dated comment, the new entry in
/// its place, every other line as it was.
bool isCompleteUpdate(const std::string& services) {
  const std::string changed = "# changed by CV/CC on ";
  std::size_t at = services.find(changed);
  if (at == std::string::npos || services.compare(0, at, "echo                7/tcp\r\n") != 0) {
    return false;
  }
  std::size_t end = services.find("\r\n", at);
  return end != std::string::npos &&
         services.substr(end + 2) ==
             "# QuorLinkStart    5010/udp      # an old datagram entry\r\n"
             "QuorLinkStart    5010/tcp              # Corvanta\r\n"
             "http               80/tcp    www www-http\r\n"
             "last line without a line end\n";
}

}  // namespace

// A failure may hit an operation the update can do without (closing the
// file it has read): then the update completes. Any other failure is
// reported, and the old file stays.
TEST(ServicesUpdateFaults, EveryFailingFileOperationLeavesTheServicesFileIntact) {
  TestMachine machine;
  int survived = 0;
  for (int n = 1; n < 1000; ++n) {
    machine.file("drive_c/etc/services", Original);
    platform::faultinjection::failFileOperation(n);
    ReportLog::Text text;
    std::int32_t status;
    {
      ReportLog log(text, ThresholdDebug);  // on memory: no file operation of its own
      status = addServiceEntry(log, "etc\\services", "QuorLinkStart", 5010);
    }
    const int counted = platform::faultinjection::fileOperationsCounted();
    platform::faultinjection::failFileOperation(0);
    const std::string& messages = text.file;
    const std::string services = machine.read("drive_c/etc/services");
    for (const auto& entry : std::filesystem::directory_iterator(machine.host("drive_c/etc"))) {
      EXPECT_EQ(entry.path().filename(), "services") << "operation " << n << " left a file behind";
    }

    if (counted < n) {  // no operation failed: the update went through
      EXPECT_EQ(status, 0) << messages;
      EXPECT_TRUE(isCompleteUpdate(services)) << services;
      EXPECT_GE(survived, 5) << "too few operations were counted";
      std::printf("services update: %d injected faults survived\n", survived);
      RecordProperty("faults_survived", survived);
      return;
    }
    ++survived;
    if (status == 0) {
      EXPECT_TRUE(isCompleteUpdate(services)) << "operation " << n << ": " << services;
      continue;
    }
    EXPECT_EQ(status, 1) << "operation " << n << ": " << messages;
    EXPECT_EQ(services, Original) << "operation " << n << " left the services file changed";
    const bool reported = messages.find("CHK0006R") != std::string::npos ||
                          messages.find("CHK0007R") != std::string::npos ||
                          messages.find("CHK0010R") != std::string::npos;
    EXPECT_TRUE(reported) << "operation " << n << ": " << messages;
  }
  FAIL() << "the update never completed";
}
