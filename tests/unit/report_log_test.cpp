// The report log's hand-over of text. Which threshold shows what on the
// console, and what the log file keeps, the end-to-end command-line tests
// pin line by line.
#include "driver/report_log.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/message.h"
#include "platform/fault_injection.h"
#include "test_machine.h"

namespace {

/// A ReportLog on a file of a test machine, with the console captured.
class ReportLogTest : public testing::Test {
 protected:
  std::string runWith(MessageId threshold, void (*write)(ReportLog&)) {
    testing::internal::CaptureStdout();
    {
      ReportLog log("report.log", threshold);
      write(log);
    }
    console_ = testing::internal::GetCapturedStdout();
    return machine_.readText("drive_c/report.log");
  }

  TestMachine machine_;
  std::string console_;
};

}  // namespace

TEST_F(ReportLogTest, LongMessagesTravelInOnePieceUnderTheirOwnId) {
  const std::string value(10000, 'v');
  std::string file = runWith(ThresholdDefault, [](ReportLog& log) {
    report(log, msg::CHK0013I, "LONG", std::string(10000, 'v'));
    report(log, msg::CHK_DBG, std::string(5000, 'd'));
  });
  EXPECT_EQ(file, "CHK0013I: Variable LONG = " + value + ".\n");
  EXPECT_EQ(console_, "");  // neither message's tail leaks as neutral text
}

// Text written before a message is handed over as neutral text, and every
// hand-over, even of nothing, returns the id to neutral.
TEST_F(ReportLogTest, TextOutsideAMessageIsNeutral) {
  runWith(ThresholdErrors, [](ReportLog& log) {
    log << "neutral ";  // not flushed yet
    report(log, msg::CHK0013I, "A", 1);
    currentMessageId = msg::CHK0009A;
    log.flush();
    EXPECT_EQ(currentMessageId, NeutralMessageId);
  });
  EXPECT_EQ(console_, "neutral ");
}

// Each write, flush and close of the log file is made to fail in turn: the
// log then reports the failure with a reason, writes nothing after the gap,
// and the console still gets every line.
TEST_F(ReportLogTest, EveryFailedLogOperationIsReported) {
  for (int n = 1;; ++n) {
    testing::internal::CaptureStdout();
    bool complete;
    std::string reason;
    int counted;
    {
      ReportLog log("report.log", ThresholdInfo);
      platform::faultinjection::failFileOperation(n);
      report(log, msg::CHK0013I, "ONE", "1");
      report(log, msg::CHK0013I, "TWO", "2");
      complete = log.finish();
      counted = platform::faultinjection::fileOperationsCounted();
      platform::faultinjection::failFileOperation(0);
      reason = log.failureReason();
    }
    const std::string console = testing::internal::GetCapturedStdout();
    const std::string file = machine_.readText("drive_c/report.log");
    EXPECT_EQ(console, "CHK0013I: Variable ONE = 1.\nCHK0013I: Variable TWO = 2.\n");
    if (counted < n) {
      EXPECT_TRUE(complete);
      EXPECT_EQ(file, console);
      EXPECT_GE(n, 6) << "too few operations were counted";
      return;
    }
    EXPECT_FALSE(complete) << "operation " << n;
    EXPECT_FALSE(reason.empty()) << "operation " << n;
    // The first message's write or flush failed: the second is not written.
    if (n <= 2) {
      EXPECT_EQ(file.find("TWO"), std::string::npos) << "operation " << n;
    }
  }
}
