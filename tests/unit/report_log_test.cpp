// The report log's hand-over of text. Which threshold shows what on the
// console, and what the log file keeps, the end-to-end command-line tests
// pin line by line.
#include "driver/report_log.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/message.h"
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
