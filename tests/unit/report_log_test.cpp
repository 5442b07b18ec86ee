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

void writeSample(ReportLog& log) {
  report(log, msg::CHK0013I, "A", 1);  // class 0
  report(log, msg::CHK0009A, "x", "y");  // class 2
  report(log, msg::CHK0061A, "z");  // class 1
  report(log, msg::CHK_DBG, "debug %2", "line");
  writeLineEnd(log);  // neutral
  report(log, msg::CHK0000I, "V", "t");  // class 3
  report(log, msg::CHK0199I);  // 26999, equal to the -u threshold
}

const char* const Class0 = "CHK0013I: Variable A = 1.\n";
const char* const Class2 = "CHK0009A: The x directory y does not exist.\n";
const char* const Class1 = "CHK0061A: Assuming current directory z as product path.\n";
const char* const Debug = "CHK--DBG: debug line\n";
const char* const Class3 = "CHK0000I: Configuration check (V) started on t\n";
const char* const AtUpdateThreshold = "CHK0199I: Please check the documentation for the previous message.\n";

}  // namespace

TEST_F(ReportLogTest, ThresholdDecidesTheConsoleAndDebugModeTheFile) {
  const std::string everything = std::string(Class0) + Class2 + Class1 + "\n" + Class3 + AtUpdateThreshold;
  const std::string withDebug = std::string(Class0) + Class2 + Class1 + Debug + "\n" + Class3 + AtUpdateThreshold;

  EXPECT_EQ(runWith(ThresholdDefault, writeSample), everything);
  EXPECT_EQ(console_, std::string(Class2) + Class1 + "\n" + Class3 + AtUpdateThreshold);

  EXPECT_EQ(runWith(ThresholdErrors, writeSample), everything);
  EXPECT_EQ(console_, std::string(Class2) + "\n" + Class3 + AtUpdateThreshold);

  EXPECT_EQ(runWith(ThresholdInfo, writeSample), everything);
  EXPECT_EQ(console_, everything);

  EXPECT_EQ(runWith(ThresholdDebug, writeSample), withDebug);
  EXPECT_EQ(console_, withDebug);

  EXPECT_EQ(runWith(ThresholdUpdate, writeSample), everything);
  EXPECT_EQ(console_, "");
}

TEST_F(ReportLogTest, HandOverResetsTheIdEvenWhenNothingIsBuffered) {
  runWith(ThresholdDefault, [](ReportLog& log) {
    currentMessageId = msg::CHK0009A;
    log.flush();
    EXPECT_EQ(currentMessageId, NeutralMessageId);
  });
  EXPECT_EQ(console_, "");
}

TEST_F(ReportLogTest, LongMessagesTravelInOnePieceUnderTheirOwnId) {
  const std::string value(10000, 'v');
  std::string file = runWith(ThresholdDefault, [](ReportLog& log) {
    report(log, msg::CHK0013I, "LONG", std::string(10000, 'v'));
    report(log, msg::CHK_DBG, std::string(5000, 'd'));
  });
  EXPECT_EQ(file, "CHK0013I: Variable LONG = " + value + ".\n");
  EXPECT_EQ(console_, "");  // neither message's tail leaks as neutral text
}

TEST_F(ReportLogTest, TextWrittenBeforeAMessageStaysNeutral) {
  runWith(ThresholdErrors, [](ReportLog& log) {
    log << "neutral ";  // not flushed yet
    report(log, msg::CHK0013I, "A", 1);
  });
  EXPECT_EQ(console_, "neutral ");
}

TEST_F(ReportLogTest, ReplacesAnEarlierFileAndSurvivesAnUnwritableOne) {
  machine_.writeFile("drive_c/report.log", "old content that is longer\n");
  EXPECT_EQ(runWith(ThresholdDefault, [](ReportLog& log) { report(log, msg::CHK0999I); }),
            "CHK0999I: Configuration-checking utility ended.\n");

  machine_.makeDirectory("drive_c/blocked.log");
  testing::internal::CaptureStdout();
  {
    ReportLog log("blocked.log", ThresholdDefault);
    EXPECT_FALSE(log.fileGood());
    report(log, msg::CHK0009A, "a", "b");
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "CHK0009A: The a directory b does not exist.\n");
}
