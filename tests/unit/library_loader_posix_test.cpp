// Library binding on the emulated machine: the Windows search order, the
// loader's progress line and messages, and how the
// socket library's faults stop the network probes.

#include <gtest/gtest.h>

#include "net/library_loader.h"
#include "net/services_file.h"
#include "net/socket_library.h"
#include "net/tcp_checks.h"
#include "net_test_support.h"

using net_test::ProbeTest;

namespace {

const std::string Blank = std::string(49, ' ') + "\r";

std::string progress(const std::string& displayName) {
  return "Loading library " + displayName + "...\r" + Blank;
}

class LibraryLoaderTest : public ProbeTest {
 protected:
  LibraryLoaderTest() {
    openLog(ThresholdUpdate);
    machine.file("drive_c/WINNT/system32/zortest.dll", "MZ image");
    machine.file("drive_c/WINNT/zorbad.dll", "not an image");
  }

  /// Runs loadLibraries and returns what it wrote to standard output.
  std::string load(std::vector<const char*> names, std::vector<ProcedureEntry> procedures,
                   bool expected) {
    procedures.push_back({nullptr, 0});
    LibraryRef refs[4];
    platform::ProcedureAddress slots[8] = {};
    testing::internal::CaptureStdout();
    bool result = loadLibraries(*log, refs, names.data(), static_cast<int>(names.size()),
                                procedures.data(), slots);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, expected);
    return out;
  }
};

}  // namespace

// A shared library stays loaded (its error mode in force) until the last
// reference to it goes; a share goes only into an empty reference.
TEST_F(LibraryLoaderTest, ALibraryLivesUntilItsLastReferenceGoes) {
  const std::uint32_t callersMode = platform::setErrorMode(0);
  auto currentMode = [] {
    const std::uint32_t mode = platform::setErrorMode(platform::ErrorModFailCriticalErrors);
    platform::setErrorMode(mode);
    return mode;
  };
  {
    LibraryRef second;
    {
      LibraryRef first;
      ASSERT_EQ(first.load("zortest"), 0);
      EXPECT_EQ(first.load("zortest"), -1);
      EXPECT_TRUE(second.share(first));
      EXPECT_FALSE(second.share(first));
      EXPECT_EQ(currentMode(), platform::ErrorModFailCriticalErrors);
    }
    EXPECT_FALSE(second.empty());
    EXPECT_EQ(currentMode(), platform::ErrorModFailCriticalErrors);
  }
  EXPECT_EQ(currentMode(), 0u);
  platform::setErrorMode(callersMode);
}

// Libraries load in order, each with its progress line; a missing
// procedure is named, a failed load reports the system's error (126 for a
// missing file, 193 for one that is no image) and stops the list. The
// loader always appends ".dll"; the display name gets none added. An empty
// list loads nothing; one without a first name says so in a debug line.
TEST_F(LibraryLoaderTest, LoadsInOrderAndReportsWhatFails) {
  EXPECT_EQ(load({"wsock32", "zortest"}, {{"gethostname", 0}, {"ZorEntry", 1}}, false),
            progress("wsock32.dll") + progress("zortest.dll"));
  EXPECT_EQ(load({"zormiss", "wsock32"}, {}, false), progress("zormiss.dll"));
  EXPECT_EQ(load({"zorbad"}, {}, false), progress("zorbad.dll"));
  EXPECT_EQ(load({"ZORTEST.DLL"}, {}, false), progress("zortest.dll"));
  EXPECT_EQ(load({nullptr}, {}, true), "");
  EXPECT_EQ(logLines(), (std::vector<std::string>{
                            "CHK0005R: Cannot load procedure ZorEntry() from zortest.dll.",
                            "CHK0004R: Error 126 loading zormiss.dll.",
                            "CHK0004R: Error 193 loading zorbad.dll.",
                            "CHK0004R: Error 126 loading zortest.dll."}));
  openLog(ThresholdDebug);  // the debug line reaches the console too
  EXPECT_EQ(load({}, {}, false), "");
  EXPECT_EQ(text.console, "CHK--DBG: No libraries loaded\n");
  EXPECT_EQ(logLines(), std::vector<std::string>{"CHK--DBG: No libraries loaded"});
}

TEST_F(LibraryLoaderTest, SearchesSystemWindowsCurrentThenPathDirectories) {
  machine.file("drive_c/WINNT/system32/zordup.dll", "MZ");
  machine.file("drive_c/zordup.dll", "not an image");
  machine.file("drive_c/zorcwd.dll", "not an image");
  machine.file("drive_c/tools/zorcwd.dll", "MZ");
  machine.file("drive_c/tools/zorpath.dll", "MZ");
  ScopedEnvironment path("PATH", "c:\\nowhere; c:\\tools");

  platform::ModuleHandle dup = platform::loadLibrary("ZORDUP");
  EXPECT_NE(dup, nullptr);
  EXPECT_EQ(platform::procedureAddress(dup, "anything"), nullptr);
  EXPECT_EQ(platform::lastError(), platform::ErrorProcNotFound);
  EXPECT_EQ(platform::loadLibrary("zorcwd"), nullptr);
  EXPECT_EQ(platform::lastError(), platform::ErrorBadExeFormat);
  platform::ModuleHandle viaPath = platform::loadLibrary("zorpath.dll");
  EXPECT_NE(viaPath, nullptr);
  EXPECT_TRUE(platform::freeLibrary(dup));
  EXPECT_TRUE(platform::freeLibrary(viaPath));
  EXPECT_FALSE(platform::freeLibrary(viaPath));
}

TEST_F(LibraryLoaderTest, AMissingSocketLibraryStopsEachProbe) {
  faults("# the network is broken\nwsock32 missing\n");
  CheckOptions options;
  testing::internal::CaptureStdout();
  checkTcpProtocol(*log, options);
  EXPECT_FALSE(validateTcpAddress(*log, "127.0.0.1"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            progress("wsock32.dll") + progress("wsock32.dll"));
  EXPECT_EQ(logLines(), (std::vector<std::string>{"CHK0004R: Error 126 loading wsock32.dll.",
                                                  "CHK0004R: Error 126 loading wsock32.dll."}));
}

TEST_F(LibraryLoaderTest, ASocketLibraryWithoutAProcedureNamesTheFirstInTableOrder) {
  faults("wsock32 lacks select\nwsock32 lacks getsockname\nwsock32 lacks gethostbyaddr\n");
  CheckOptions options;
  testing::internal::CaptureStdout();
  EXPECT_EQ(updateServicesFile(*log, options), 1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(logLines(), std::vector<std::string>{
                            "CHK0005R: Cannot load procedure gethostbyaddr() from wsock32.dll."});
}

TEST_F(LibraryLoaderTest, AFailedStartUpIsReportedOnceAndStopsEveryLaterProbe) {
  faults("wsock32 startup-fails\n");
  CheckOptions options;
  options.testAvailability = true;
  testing::internal::CaptureStdout();
  checkTcpProtocol(*log, options);
  EXPECT_FALSE(validateTcpAddress(*log, "127.0.0.1"));
  EXPECT_FALSE(testServerConnection(*log, options, "127.0.0.1"));
  EXPECT_EQ(updateServicesFile(*log, options), 1);
  checkTcpProtocol(*log, options);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(logLines(), std::vector<std::string>{
                            "CHK0300R: WinSocket error - Network subsystem is unavailable."});
}
