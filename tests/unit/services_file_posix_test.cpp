// The services file update of option -u on the emulated machine: what the
// file gains for version 2.1, what it keeps byte for byte, and that a
// failure to write or replace it leaves the old file in place. The
// end-to-end tests run version 2.3 and a missing directory or file, and the
// fault injection test fails each file operation in turn.

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <regex>

#include "net/services_file.h"
#include "net_test_support.h"

using Lines = std::vector<std::string>;

namespace {

const std::string Services = net_test::EtcDirectory + "services";
const std::string Path = net_test::EtcPath + "\\services";
const std::string TempPath = net_test::EtcPath + "\\services.tmp";
const std::string StartEntry = "QuorLinkStart    5010/tcp              # Corvanta";
const std::string AttachEntry = "QuorLinkAttach    5011/tcp              # Corvanta";

/// The text with each ctime-form time replaced by "<time>".
std::string masked(const std::string& text) {
  static const std::regex time(
      "(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
      "[ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}");
  return std::regex_replace(text, time, "<time>");
}

class ServicesUpdate : public net_test::ProbeTest {
 protected:
  ServicesUpdate() { openLog(ThresholdUpdate); }

  std::int32_t update(std::int32_t version) {
    CheckOptions options;
    options.version = version;
    return updateServicesFile(*log, options);
  }
  bool tempFileExists() const {
    return std::filesystem::exists(
        std::filesystem::symlink_status(machine.host(Services + ".tmp")));
  }
};

}  // namespace

TEST_F(ServicesUpdate, Version210AppendsBothEntriesWithAddedComments) {
  etcFile("services", "echo 7/tcp\n\n#QuorLinkStart 1/tcp\n");
  EXPECT_EQ(update(210), 0);
  EXPECT_EQ(masked(machine.readFile(Services)),
            "echo 7/tcp\n\n#QuorLinkStart 1/tcp\n"
            "# added by CV/CC on <time>\n" +
                StartEntry +
                "\n"
                "# added by CV/CC on <time>\n" +
                AttachEntry + "\n");
  EXPECT_EQ(logLines(),
            (Lines{net_test::Version, "CHK0306R: TCP port QuorLinkStart not found.",
                   "CHK0310I: TCP port QuorLinkStart has been added to " + Path + ".",
                   "CHK0306R: TCP port QuorLinkAttach not found.",
                   "CHK0310I: TCP port QuorLinkAttach has been added to " + Path + "."}));
  EXPECT_FALSE(tempFileExists());
}

TEST_F(ServicesUpdate, ALineOfTheServiceBecomesAChangedCommentAndOtherBytesStay) {
  const std::string longLine = "# " + std::string(300, 'x') + "\r\n";
  etcFile("services", longLine + "QuorLinkStart 5010/udp\r\n # QuorLinkStart 1/tcp\r\n" +
                          "QuorLinkAttach 5011/tcp\r\n");
  EXPECT_EQ(update(210), 0);
  EXPECT_EQ(masked(machine.readFile(Services)),
            longLine + "# changed by CV/CC on <time>\r\n# QuorLinkStart 5010/udp\r\n" + StartEntry +
                "\r\n # QuorLinkStart 1/tcp\r\nQuorLinkAttach 5011/tcp\r\n");
  EXPECT_EQ(logLines(), (Lines{net_test::Version, "CHK0306R: TCP port QuorLinkStart not found.",
                               "CHK0310I: TCP port QuorLinkStart has been added to " + Path + ".",
                               "CHK0308I: TCP port QuorLinkAttach found at number 5011."}));
}

TEST_F(ServicesUpdate, AnUncreatableTemporaryFileLeavesTheFileAlone) {
  const std::string content = "echo 7/tcp\n";
  etcFile("services", content);
  machine.makeDirectory(Services + ".tmp");
  EXPECT_EQ(update(210), 1);
  EXPECT_EQ(addServiceEntry(*log, "c:\\missing\\services", "QuorLinkStart", 5010), 1);
  EXPECT_EQ(machine.readFile(Services), content);
  const std::string refused = "CHK0007R: Cannot open file '" + TempPath + "' for writing.";
  EXPECT_EQ(logLines(), (Lines{net_test::Version, "CHK0306R: TCP port QuorLinkStart not found.",
                               refused, "CHK0306R: TCP port QuorLinkAttach not found.", refused,
                               "CHK0006R: Cannot open file 'c:\\missing\\services' for reading."}));
}

TEST_F(ServicesUpdate, AFailedWriteIsCaughtBeforeTheReplacement) {
  const std::string content = "QuorLinkAttach 5011/tcp\n";
  etcFile("services", content);
  // The temporary file's place leads to a device that is always full.
  std::filesystem::create_symlink("/dev/full", machine.host(Services + ".tmp"));
  EXPECT_EQ(update(219), 1);
  EXPECT_EQ(machine.readFile(Services), content);
  EXPECT_FALSE(tempFileExists());
  EXPECT_EQ(logLines(), (Lines{net_test::Version, "CHK0306R: TCP port QuorLinkStart not found.",
                               "CHK0007R: Cannot open file '" + TempPath + "' for writing.",
                               "CHK0308I: TCP port QuorLinkAttach found at number 5011."}));
}

TEST_F(ServicesUpdate, AFailedReplacementKeepsTheOldFile) {
  const std::string content = "QuorLinkAttach 5011/tcp\n";
  etcFile("services", content);
  // A mount point cannot be renamed over, whoever asks.
  const std::string host = machine.host(Services).string();
  if (::mount(host.c_str(), host.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "cannot bind-mount the services file onto itself: " << std::strerror(errno);
  }
  const std::int32_t status = update(210);
  ::umount2(host.c_str(), MNT_DETACH);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(machine.readFile(Services), content);
  EXPECT_EQ(logLines(), (Lines{net_test::Version, "CHK0306R: TCP port QuorLinkStart not found.",
                               "CHK0010R: Cannot move " + TempPath + " to " + Path + ".",
                               "CHK0308I: TCP port QuorLinkAttach found at number 5011."}));
}
