// zorivt-report's reading of a log: classes from the catalog whatever the
// code's letter, sections, the kind of run, logs cut short or no logs at
// all, input in any cut, and the bounds on hostile input. What a whole run
// prints is pinned by the end-to-end report tests.
#include <gtest/gtest.h>

#include <string>

#include "report/log_summary.h"
#include "report/reference.h"

namespace {

const char* const Start = "CHK0000I: Configuration check (V2R3.4.2) started on Mon Dec  7 02:14:01 2026\n";
const char* const End = "CHK0999I: Configuration-checking utility ended.\n";

LogSummary read(const std::string& text) {
  LogReader reader;
  reader.feed(text.data(), text.size());
  return reader.finish();
}

TEST(LogReader, CountsEachCodeInTheCatalogsClassAndGroupsFindingsBySection) {
  const std::string log = std::string(Start) +
                          "CHK0001I: Performing Corvanta V2.30 checks.\n\n"
                          "CHK0050I: ===> Setup checks.\n"
                          "CHK0317I: Need root user authority to create a raw socket for ping.\n\n"
                          "CHK0050I: ===> General checks.\n"
                          "CHK--DBG: PATH = 'c:\\x'\n"
                          "CHK0009A: The ZOR_FILES directory c:\\f does not exist.\n"
                          "CHK0221R: Unknown host corvdb.\n"
                          "CHK9999X: not a code of the catalog\n"
                          "  a line without a code\n" +
                          End;
  // Read whole, byte by byte, and with Windows line ends: the same result.
  std::string crlf;
  for (const char c : log) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  LogReader pieces;
  for (const char c : crlf) pieces.feed(&c, 1);
  for (const LogSummary& s : {read(log), pieces.finish()}) {
    EXPECT_EQ(s.state, LogState::Complete);
    EXPECT_EQ(s.kind, "check");
    EXPECT_EQ(s.level, "V2R3.4.2");
    EXPECT_EQ(s.started, "Mon Dec  7 02:14:01 2026");
    // CHK0009A is an error and CHK0221R and CHK0317I attention, whatever
    // their letters; the frame counts as information, debug lines not at all.
    EXPECT_EQ(s.errors, 1u);
    EXPECT_EQ(s.attention, 2u);
    EXPECT_EQ(s.information, 5u);
    EXPECT_EQ(s.exitStatus(), 2);
    ASSERT_EQ(s.sections.size(), 2u);
    EXPECT_EQ(s.sections[0].title, "Setup checks");
    ASSERT_EQ(s.sections[1].findings.size(), 2u);
    EXPECT_EQ(s.sections[1].title, "General checks");
    EXPECT_EQ(s.sections[1].findings[0].code, "CHK0009A");
    EXPECT_EQ(s.sections[1].findings[0].lineNumber, 9u);
    EXPECT_EQ(s.sections[1].findings[0].text, "CHK0009A: The ZOR_FILES directory c:\\f does not exist.");
    EXPECT_EQ(s.sections[1].findings[1].findingClass, FindingClass::Attention);
  }
}

TEST(LogReader, TellsTheKindOfRunAndTheStatusOfEachVerdict) {
  EXPECT_EQ(read(std::string(Start) + End).exitStatus(), 0);
  EXPECT_EQ(read(std::string(Start) + "CHK0053I: ===> Configuration updates for QuorLink Server.\n" + End).kind,
            "update");
  EXPECT_EQ(read(std::string(Start) + "CHK0100I: Variables:\n" + End).kind, "variables");
  EXPECT_EQ(read(std::string(Start) + "CHK0066I: Scanning c:\\x...\n" + End).kind, "scan");
  const LogSummary attention = read(std::string(Start) + "CHK0107A: ZOR_NOTIF_INT is smaller than 60s.\n" + End);
  EXPECT_EQ(attention.exitStatus(), 1);

  // Cut short: what was read counts, but the status says the log is
  // incomplete, also when the last line has no line feed.
  const LogSummary cut = read(std::string(Start) + "CHK0009A: The TMP directory c:\\t does not exist.");
  EXPECT_EQ(cut.state, LogState::Incomplete);
  EXPECT_EQ(cut.errors, 1u);
  EXPECT_EQ(cut.exitStatus(), 3);
  // No log: empty, other text first, or a closing line without a start.
  for (const std::string& text : {std::string(), std::string("\n\n"), std::string("hello\n") + Start + End,
                                  std::string(End)}) {
    const LogSummary none = read(text);
    EXPECT_EQ(none.state, LogState::NotALog) << text;
    EXPECT_EQ(none.exitStatus(), 3);
    EXPECT_TRUE(none.kind.empty());
  }
}

TEST(LogReader, KeepsBoundedMemoryOnHostileInput) {
  LogReader reader;
  reader.feed(Start, std::char_traits<char>::length(Start));
  // A line of 8 MiB keeps only its start, fed in pieces.
  const std::string head = "CHK0009A: The TMP directory ";
  reader.feed(head.data(), head.size());
  const std::string block(1 << 20, 'x');
  for (int i = 0; i < 8; ++i) reader.feed(block.data(), block.size());
  reader.feed("\n", 1);
  // Past the listed findings only the counts go on.
  const std::string error = "CHK0009A: The TMP directory c:\\t does not exist.\n";
  for (std::size_t i = 0; i < LogReader::MaxFindings + 5; ++i) reader.feed(error.data(), error.size());
  reader.feed(End, std::char_traits<char>::length(End));
  const LogSummary s = reader.finish();
  EXPECT_EQ(s.errors, LogReader::MaxFindings + 6);
  EXPECT_EQ(s.unlisted, 6u);
  ASSERT_EQ(s.sections.size(), 1u);
  EXPECT_EQ(s.sections[0].findings.size(), LogReader::MaxFindings);
  EXPECT_EQ(s.sections[0].findings[0].text.size(), LogReader::MaxLineLength);
  EXPECT_EQ(s.sections[0].findings[1].lineNumber, 3u);
  EXPECT_EQ(visibleText(std::string("a\x01\x1b[2J\x7f\xe9", 8)), "a\\x01\\x1b[2J\\x7f\xe9");
}

TEST(Reference, GivesEachEntryAndItsWhatToDoAsPlainText) {
  const ReferenceEntry* entry = findReferenceEntry("chk0009a");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(std::string(entry->code), "CHK0009A");
  EXPECT_EQ(std::string(entry->text).rfind("> CHK0009A: The *kind* directory *path* does not exist.", 0), 0u);
  const std::string hint = whatToDo(*entry);
  EXPECT_EQ(hint.rfind("correct the variable (in the profile for ZOR_FILES and ZOR_DB_PATH, in the", 0), 0u)
      << hint;
  EXPECT_EQ(hint.find('*'), std::string::npos);
  EXPECT_EQ(hint.find('`'), std::string::npos);
  EXPECT_EQ(hint.find('\n'), std::string::npos) << "one paragraph, one line";
  EXPECT_EQ(findReferenceEntry("CHK0009"), nullptr);
  EXPECT_EQ(findReferenceEntry("CHK0003R"), nullptr) << "reserved codes have no entry";
  // Code quotes keep their text, file masks included.
  EXPECT_EQ(plainText("> **Class:** `zor*.exe` and *path*"), "Class: zor*.exe and path");
  // Every entry has what to do.
  for (std::size_t i = 0; i < ReferenceEntryCount; ++i) {
    EXPECT_FALSE(whatToDo(ReferenceEntries[i]).empty()) << ReferenceEntries[i].code;
  }
}

}  // namespace
