// The product profile: where it is found, and how its lines become
// variables (seen through -v).
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const char* const UsedInWork = "CHK0063I: Corvanta profile used: c:\\work\\zorpzcfg.prf.";

/// Runs -v for `names` with `profile` as zorpzcfg.prf in c:\work.
RunResult showWithProfile(TestMachine& machine, const std::string& profile,
                          const std::string& names) {
  machine.workingDirectory("drive_c/work").file("drive_c/work/zorpzcfg.prf", profile);
  return machine.run({"-v", names});
}

}  // namespace

// ---- Locating the profile ----

// A profile in the current directory wins over the one in the product
// directory, which is reported.
TEST(Profile, CurrentDirectoryWinsOverTheProductDirectory) {
  TestMachine machine;
  machine
      .registry(
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\n"
          "\"Directory\"=\"c:\\\\corvanta\"\n")
      .directory("drive_c/corvanta/bin")
      .file("drive_c/corvanta/zorpzcfg.prf", "")
      .file("drive_c/work/zorpzcfg.prf", "")
      .workingDirectory("drive_c/work");
  RunResult run = machine.run({"-d", "-v", "ZOR_LANG"});
  EXPECT_BLOCK(run,
               {"CHK0050I: ===> Setup checks.", "CHK0056I: Writing log file c:\\work\\zorivt.log.",
                "CHK0075A: More than one Corvanta profile found: c:\\corvanta\\zorpzcfg.prf.",
                "CHK--DBG: PATH = 'c:\\corvanta'", UsedInWork});
}

// Every further profile along the search list gets its own CHK0075A; the
// search list's debug line follows only the first.
TEST(Profile, EveryFurtherProfileIsReportedAndThePathLineOnce) {
  TestMachine machine;
  machine.file("drive_c/a/zorpzcfg.prf", "")
      .file("drive_c/b/zorpzcfg.prf", "")
      .file("drive_c/work/zorpzcfg.prf", "")
      .env("PATH", "c:\\A;c:\\b")
      .workingDirectory("drive_c/work");
  RunResult run = machine.run({"-d", "-v", "ZOR_LANG"});
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\work", {"CHK0075A: More than one Corvanta profile found: "
                                                 "c:\\a\\zorpzcfg.prf.",
                                                 "CHK--DBG: PATH = 'c:\\work;c:\\a;c:\\b'",
                                                 "CHK0075A: More than one Corvanta profile found: "
                                                 "c:\\b\\zorpzcfg.prf.",
                                                 UsedInWork}));
}

// The same directory listed again, in other letter case or with a final
// backslash, is the same profile and draws no CHK0075A.
TEST(Profile, SameDirectoryTwiceInPathIsOneProfile) {
  TestMachine machine;
  machine.file("drive_c/tools/zorpzcfg.prf", "")
      .env("PATH", "c:\\tools;C:\\TOOLS;c:\\tools\\")
      .workingDirectory("drive_c/work");
  RunResult run = machine.run({"-v", "ZOR_LANG"});
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\work", {"CHK0063I: Corvanta profile used: "
                                                 "c:\\tools\\zorpzcfg.prf."}));
}

// A profile named with a directory that does not hold it is reported, and
// its file name is still searched along the search list.
TEST(Profile, NamedProfileMissingFromItsDirectoryIsSearchedByName) {
  TestMachine machine;
  machine.file("drive_c/work/my.prf", "").workingDirectory("drive_c/work");
  RunResult run = machine.run({"-f", "c:\\Nowhere\\My", "-v", "ZOR_LANG"});
  EXPECT_BLOCK(
      run,
      e2e::setupBlock("c:\\work",
                      {"CHK0008R: The Corvanta profile file 'c:\\nowhere\\my.prf' does not exist.",
                       "CHK0063I: Corvanta profile used: c:\\work\\my.prf."}));
}

// No profile anywhere: CHK0062R with the bare name, then the search list.
TEST(Profile, MissingProfileIsReportedWithTheSearchList) {
  TestMachine machine;
  machine.env("PATH", "c:\\Tools").workingDirectory("drive_c/work");
  RunResult run = machine.run({"-d", "-v", "ZOR_LANG"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_BLOCK(run,
               e2e::setupBlock("c:\\work", {"CHK0062R: Corvanta profile zorpzcfg.prf not found.",
                                            "CHK--DBG: PATH = 'c:\\work;c:\\tools'"}));
}

// ---- Reading the profile ----

// A final backslash continues the line when a blank stands before it or it
// is the line's only backslash; the pieces are joined unchanged, and an "="
// in a continuation line is plain text.
TEST(Profile, BackslashContinuesAfterABlankOrAsTheOnlyBackslash) {
  TestMachine machine;
  RunResult run = showWithProfile(machine,
                                  "ZOR_USERID = x \\\n"
                                  "y \\\n"
                                  "z\n"
                                  "ZOR_PASSWORD = one\\\n"
                                  "two=2\n",
                                  "ZOR_USERID;ZOR_PASSWORD");
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\work", {UsedInWork}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is 'xy z' (set in the profile).",
                     "CHK0103I: Variable ZOR_PASSWORD is 'onetwo=2' (set in the profile)."});
}

// A directory value ending in a backslash (with an earlier backslash and no
// blank before it) does not continue, nor does a line of a single
// backslash, which is an invalid line of its own.
TEST(Profile, DirectoryBackslashAndLoneBackslashDoNotContinue) {
  TestMachine machine;
  RunResult run = showWithProfile(machine,
                                  "ZOR_FILES = c:\\data\\\n"
                                  "ZOR_USERID = u\n"
                                  "\\\n"
                                  "ZOR_PASSWORD = p\n",
                                  "ZOR_FILES;ZOR_USERID;ZOR_PASSWORD");
  EXPECT_BLOCK(
      run, e2e::setupBlock("c:\\work",
                           {UsedInWork, "CHK0064A: Invalid line 3 in profile will be ignored."}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_FILES is 'c:\\data\\' (set in the profile).",
                     "CHK0103I: Variable ZOR_USERID is 'u' (set in the profile).",
                     "CHK0103I: Variable ZOR_PASSWORD is 'p' (set in the profile)."});
}

// A comment line ends a continued pair, which keeps what it had; the next
// line starts anew.
TEST(Profile, CommentEndsAContinuedPair) {
  TestMachine machine;
  RunResult run = showWithProfile(machine,
                                  "ZOR_USERID = a \\\n"
                                  "# a note\n"
                                  "ZOR_PASSWORD = b\n",
                                  "ZOR_USERID;ZOR_PASSWORD");
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\work", {UsedInWork}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is 'a' (set in the profile).",
                     "CHK0103I: Variable ZOR_PASSWORD is 'b' (set in the profile)."});
}

// Lines without "=", lines starting with "=" and a last line that continues
// are invalid, reported with their line numbers (comments and empty lines
// counted); the pair of the last line is lost.
TEST(Profile, InvalidLinesAreReportedWithTheirNumbers) {
  TestMachine machine;
  RunResult run = showWithProfile(machine,
                                  "# settings\n"
                                  "ZOR_USERID = u\n"
                                  "no equals sign\n"
                                  "=orphan\n"
                                  "\n"
                                  "ZOR_PASSWORD = p \\\n",
                                  "ZOR_USERID;ZOR_PASSWORD;=orphan");
  EXPECT_BLOCK(run,
               e2e::setupBlock("c:\\work",
                               {UsedInWork, "CHK0064A: Invalid line 3 in profile will be ignored.",
                                "CHK0064A: Invalid line 4 in profile will be ignored.",
                                "CHK0064A: Invalid line 6 in profile will be ignored."}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is 'u' (set in the profile).",
                     "CHK0101I: Variable 'ZOR_PASSWORD' is not set.",
                     "CHK0101I: Variable '=orphan' is not set."});
}

// Assignments need no blanks around "="; an empty value is stored as set in
// the profile; of two assignments the last wins.
TEST(Profile, ValuesAreStoredAsAssigned) {
  TestMachine machine;
  RunResult run = showWithProfile(machine,
                                  "ZOR_USERID=first\n"
                                  "ZOR_PASSWORD =\n"
                                  "ZOR_USERID = second\n",
                                  "ZOR_USERID;ZOR_PASSWORD");
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is 'second' (set in the profile).",
                     "CHK0103I: Variable ZOR_PASSWORD is '' (set in the profile)."});
}

// A non-empty environment value replaces the profile's, still counted as
// set in the profile.
TEST(Profile, EnvironmentValueReplacesTheProfileValue) {
  TestMachine machine;
  machine.env("ZOR_LANG", "ENU");
  RunResult run = showWithProfile(machine, "ZOR_LANG = DE\n", "ZOR_LANG");
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_LANG is 'ENU' (set in the profile)."});
}

// A line longer than 255 characters is read whole, never split in two.
TEST(Profile, LongLineIsReadWhole) {
  TestMachine machine;
  const std::string value(300, 'v');
  RunResult run = showWithProfile(machine, "ZOR_USERID = " + value + "\nZOR_PASSWORD = p\n",
                                  "ZOR_USERID;ZOR_PASSWORD");
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\work", {UsedInWork}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is '" + value + "' (set in the profile).",
                     "CHK0103I: Variable ZOR_PASSWORD is 'p' (set in the profile)."});
}

// Carriage returns before the line feeds are trimmed like any white space,
// also ahead of a continuation.
TEST(Profile, CrLfLineEndsAreTrimmed) {
  TestMachine machine;
  RunResult run = showWithProfile(machine, "ZOR_USERID = u\r\nZOR_PASSWORD = p \\\r\nq\r\n",
                                  "ZOR_USERID;ZOR_PASSWORD");
  EXPECT_BLOCK(run, e2e::setupBlock("c:\\work", {UsedInWork}));
  EXPECT_BLOCK(run, {"CHK0103I: Variable ZOR_USERID is 'u' (set in the profile).",
                     "CHK0103I: Variable ZOR_PASSWORD is 'pq' (set in the profile)."});
}
