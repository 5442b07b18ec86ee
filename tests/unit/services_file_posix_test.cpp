// The services file update of option -u on the emulated machine: what the
// file gains for version 2.1, what it keeps byte for byte, and that a
// failure to write or replace it leaves the old file in place. The
// end-to-end tests run version 2.3 and a missing directory or file, the
// fault injection test fails each file operation in turn, and the safety
// tests run updates at once, plant files and interrupt them.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "net/services_file.h"
#include "net_test_support.h"

using Lines = std::vector<std::string>;

namespace {

const std::string Services = net_test::EtcDirectory + "services";
const std::string Path = net_test::EtcPath + "\\services";
// The first name the update tries for its replacement.
const std::string TempName = "services." + std::to_string(::getpid()) + "-0.tmp";
const std::string TempPath = net_test::EtcPath + "\\" + TempName;
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
    const auto directory = machine.host(net_test::EtcDirectory);
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      if (entry.path().extension() == ".tmp") return true;
    }
    return false;
  }
};

}  // namespace

TEST_F(ServicesUpdate, Version210AppendsBothEntriesWithAddedComments) {
  etcFile("services", "echo 7/tcp\n\n#QuorLinkStart 1/tcp\n");
  EXPECT_EQ(update(210), 0);
  EXPECT_EQ(masked(machine.read(Services)),
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
  EXPECT_EQ(masked(machine.read(Services)),
            longLine + "# changed by CV/CC on <time>\r\n# QuorLinkStart 5010/udp\r\n" + StartEntry +
                "\r\n # QuorLinkStart 1/tcp\r\nQuorLinkAttach 5011/tcp\r\n");
  EXPECT_EQ(logLines(), (Lines{net_test::Version, "CHK0306R: TCP port QuorLinkStart not found.",
                               "CHK0310I: TCP port QuorLinkStart has been added to " + Path + ".",
                               "CHK0308I: TCP port QuorLinkAttach found at number 5011."}));
}

// Files planted where the replacement could go are never opened or followed:
// the old fixed name, and the first name this process would choose.
TEST_F(ServicesUpdate, PlantedFilesBesideTheServicesFileAreLeftAlone) {
  etcFile("services", "echo 7/tcp\n");
  machine.file("victim", "precious\n");
  std::filesystem::create_symlink(machine.host("victim"), machine.host(Services + ".tmp"));
  std::filesystem::create_symlink(machine.host("victim"),
                                  machine.host(net_test::EtcDirectory + TempName));
  EXPECT_EQ(update(210), 0);
  EXPECT_EQ(machine.read("victim"), "precious\n");
  EXPECT_TRUE(std::filesystem::is_symlink(machine.host(net_test::EtcDirectory + TempName)));
  EXPECT_NE(machine.read(Services).find(AttachEntry), std::string::npos);
  EXPECT_EQ(addServiceEntry(*log, "c:\\missing\\services", "QuorLinkStart", 5010), 1);
  EXPECT_EQ(logLines().back(), "CHK0006R: Cannot open file 'c:\\missing\\services' for reading.");
}

// The replacement is written on a file system that fills up: the old file
// stays, and no partial replacement is left behind.
TEST_F(ServicesUpdate, AFailedWriteIsCaughtBeforeTheReplacement) {
  machine.directory(net_test::EtcDirectory);
  const std::string directory = machine.host(net_test::EtcDirectory).string();
  if (::mount("tmpfs", directory.c_str(), "tmpfs", 0, "size=8k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system: " << std::strerror(errno);
  }
  const std::string content = "QuorLinkAttach 5011/tcp\n" + std::string(5000, '#') + "\n";
  etcFile("services", content);
  const std::int32_t status = update(219);
  const std::string after = machine.read(Services);
  const bool leftOver = tempFileExists();
  ::umount2(directory.c_str(), MNT_DETACH);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(after, content);
  EXPECT_FALSE(leftOver);
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
  EXPECT_EQ(machine.read(Services), content);
  EXPECT_EQ(logLines(), (Lines{net_test::Version, "CHK0306R: TCP port QuorLinkStart not found.",
                               "CHK0010R: Cannot move " + TempPath + " to " + Path + ".",
                               "CHK0308I: TCP port QuorLinkAttach found at number 5011."}));
}
