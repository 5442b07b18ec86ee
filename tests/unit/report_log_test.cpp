// The report log's hand-over of text, and how its file reaches the disk.
// Which threshold shows what on the console, and what the log file keeps,
// the end-to-end command-line tests pin line by line.
#include "driver/report_log.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/message.h"
#include "platform/fault_injection.h"
#include "test_machine.h"

TEST(ReportLog, LongMessagesTravelInOnePieceUnderTheirOwnId) {
  const std::string value(10000, 'v');
  ReportLog::Text text;
  {
    ReportLog log(text, ThresholdDefault);
    report(log, msg::CHK0013I, "LONG", value);
    report(log, msg::CHK_DBG, std::string(5000, 'd'));
  }
  EXPECT_EQ(text.file, "CHK0013I: Variable LONG = " + value + ".\n");
  EXPECT_EQ(text.console, "");  // neither message's tail leaks as neutral text
}

// Text written before a message is handed over as neutral text, and every
// hand-over, even of nothing, returns the id to neutral.
TEST(ReportLog, TextOutsideAMessageIsNeutral) {
  ReportLog::Text text;
  ReportLog log(text, ThresholdErrors);
  log << "neutral ";  // not flushed yet
  report(log, msg::CHK0013I, "A", 1);
  log.run().setMessageId(msg::CHK0009A);
  log.flush();
  EXPECT_EQ(log.run().messageId(), NeutralMessageId);
  EXPECT_EQ(text.console, "neutral ");
}

// The file is written in blocks: a line waits until its section ends (or a
// block fills), and then the disk holds every line of it. A run killed
// halfway leaves whole lines only, and the finished file is the text handed
// over, whatever lies across the blocks' bounds.
TEST(ReportLog, TheFileReachesTheDiskInWholeLinesAtSectionEndsAndFullBlocks) {
  TestMachine machine;
  std::string expected;
  {
    ReportLog log("report.log", ThresholdUpdate);
    report(log, msg::CHK0013I, "A", 1);
    EXPECT_EQ(machine.readText("drive_c/report.log"), "");
    writeLineEnd(log);
    expected = "CHK0013I: Variable A = 1.\n\n";
    EXPECT_EQ(machine.readText("drive_c/report.log"), expected);

    for (int i = 0; i < 8000; ++i) {
      report(log, msg::CHK0013I, "V", i);
      expected += "CHK0013I: Variable V = " + std::to_string(i) + ".\n";
    }
    const std::string early = machine.readText("drive_c/report.log");
    EXPECT_GT(early.size(), 64u * 1024u) << "full blocks are written before the section ends";
    EXPECT_EQ(early, expected.substr(0, early.size()));
    EXPECT_EQ(early.back(), '\n');

    const std::string big(200000, 'b');
    report(log, msg::CHK0013I, "BIG", big);
    report(log, msg::CHK0013I, "Z", 0);
    expected += "CHK0013I: Variable BIG = " + big + ".\nCHK0013I: Variable Z = 0.\n";
    EXPECT_TRUE(log.finish());
  }
  EXPECT_EQ(machine.readText("drive_c/report.log"), expected);
}

// Each write, flush and close of the log file is made to fail in turn: the
// log then reports the failure with a reason, writes nothing after the gap,
// and the console still gets every line.
TEST(ReportLog, EveryFailedLogOperationIsReported) {
  TestMachine machine;
  for (int n = 1;; ++n) {
    testing::internal::CaptureStdout();
    bool complete;
    std::string reason;
    int counted;
    {
      ReportLog log("report.log", ThresholdInfo);
      platform::faultinjection::failFileOperation(n);
      report(log, msg::CHK0013I, "ONE", "1");
      log.writeOut();
      report(log, msg::CHK0013I, "TWO", "2");
      complete = log.finish();
      counted = platform::faultinjection::fileOperationsCounted();
      platform::faultinjection::failFileOperation(0);
      reason = log.failureReason();
    }
    const std::string console = testing::internal::GetCapturedStdout();
    const std::string file = machine.readText("drive_c/report.log");
    EXPECT_EQ(console, "CHK0013I: Variable ONE = 1.\nCHK0013I: Variable TWO = 2.\n");
    if (counted < n) {
      EXPECT_TRUE(complete);
      EXPECT_EQ(file, console);
      EXPECT_EQ(n, 6) << "two writes, two flushes and the close are counted";
      return;
    }
    EXPECT_FALSE(complete) << "operation " << n;
    EXPECT_FALSE(reason.empty()) << "operation " << n;
    // The first block's write or flush failed: the second is not written.
    if (n <= 2) {
      EXPECT_EQ(file.find("TWO"), std::string::npos) << "operation " << n;
    }
  }
}
