// zorivt-report's reading of a log: classes from the catalog whatever the
// code's letter, sections and the kind of run, input in any cut, and the
// bounds on hostile input. Whole runs, logs cut short and files that are no
// log are pinned by the end-to-end report tests.
#include <gtest/gtest.h>

#include <string>

#include "report/log_summary.h"

namespace {

const std::string Start =
    "CHK0000I: Configuration check (V2R3.4.2) started on Mon Dec  7 02:14:01 2026\n";
const std::string End = "CHK0999I: Configuration-checking utility ended.\n";

LogSummary read(const std::string& text) {
  LogReader reader;
  reader.feed(text.data(), text.size());
  return reader.finish();
}

TEST(LogReader, CountsEachCodeInTheCatalogsClassAndGroupsFindingsBySection) {
  const std::string log = Start +
                          "CHK0050I: ===> Setup checks.\n"
                          "CHK0317I: Need root user authority to create a raw socket for ping.\n\n"
                          "CHK0050I: ===> General checks.\n"
                          "CHK--DBG: PATH = 'c:\\x'\n"
                          "CHK0009A: The ZOR_FILES directory c:\\f does not exist.\n"
                          "CHK0221R: Unknown host corvdb.\n"
                          "CHK9999X: not a code of the catalog\n" +
                          End;
  // Byte by byte with Windows line ends gives the same as the whole text.
  std::string crlf;
  for (const char c : log) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  LogReader pieces;
  for (const char c : crlf) pieces.feed(&c, 1);
  for (const LogSummary& s : {read(log), pieces.finish()}) {
    EXPECT_EQ(s.state, LogState::Complete);
    EXPECT_EQ(s.kind, "check");
    EXPECT_EQ(s.started, "Mon Dec  7 02:14:01 2026");
    // CHK0009A is an error, CHK0221R and CHK0317I attention, whatever their
    // letters; the frame counts as information, debug lines not at all.
    EXPECT_EQ(s.errors, 1u);
    EXPECT_EQ(s.attention, 2u);
    EXPECT_EQ(s.information, 4u);
    ASSERT_EQ(s.sections.size(), 2u);
    EXPECT_EQ(s.sections[0].title, "Setup checks");
    ASSERT_EQ(s.sections[1].findings.size(), 2u);
    EXPECT_EQ(s.sections[1].findings[0].lineNumber, 7u);
    EXPECT_EQ(s.sections[1].findings[1].findingClass, FindingClass::Attention);
  }
  EXPECT_EQ(read(Start + "CHK0053I: ===> Configuration updates for QuorLink Server.\n" + End).kind,
            "update");
  EXPECT_EQ(read(Start + "CHK0100I: Variables:\n" + End).kind, "variables");
  EXPECT_EQ(read(Start + "CHK0066I: Scanning c:\\x...\n" + End).kind, "scan");
  // A closing line without the start line is no log.
  EXPECT_EQ(read("\n" + End + Start + End).state, LogState::NotALog);
}

TEST(LogReader, KeepsBoundedMemoryOnHostileInput) {
  LogReader reader;
  reader.feed(Start.data(), Start.size());
  // A finding of 8 MiB keeps only its start.
  reader.feed("CHK0009A: ", 10);
  const std::string block(1 << 20, 'x');
  for (int i = 0; i < 8; ++i) reader.feed(block.data(), block.size());
  reader.feed("\n", 1);
  // Past the listed findings only the counts go on.
  const std::string error = "CHK0009A: The TMP directory c:\\t does not exist.\n";
  for (std::size_t i = 0; i < LogReader::MaxFindings + 5; ++i)
    reader.feed(error.data(), error.size());
  const LogSummary s = reader.finish();
  EXPECT_EQ(s.state, LogState::Incomplete);
  EXPECT_EQ(s.errors, LogReader::MaxFindings + 6);
  EXPECT_EQ(s.unlisted, 6u);
  ASSERT_EQ(s.sections.size(), 1u);
  EXPECT_EQ(s.sections[0].findings.size(), LogReader::MaxFindings);
  EXPECT_EQ(s.sections[0].findings[0].text.size(), LogReader::MaxLineLength);
  EXPECT_EQ(s.sections[0].findings[1].lineNumber, 3u);
}

}  // namespace
