// The product profile: where it is found, how its lines become variables
// (seen through -v), and the spelling check of its keys.
#include <sys/resource.h>

#include <string>
#include <vector>

#include "harness.h"
#include "process.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const char* const UsedInWork = "CHK0063I: Corvanta profile used: c:\\work\\zorpzcfg.prf.";

}  // namespace

// A profile in the current directory wins; every further one along the
// search list (the product directory, then PATH) gets its own CHK0075A, the
// search list's debug line following only the first. A directory listed
// again (the current one here), in other letter case or with a final
// backslash, finds the same profile and draws nothing.
TEST(Profile, CurrentDirectoryWinsAndEveryFurtherProfileIsReported) {
  TestMachine machine;
  machine
      .registry(
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\n"
          "\"Directory\"=\"c:\\\\corvanta\"\n")
      .directory("drive_c/corvanta/bin")
      .file("drive_c/corvanta/zorpzcfg.prf", "")
      .file("drive_c/a/zorpzcfg.prf", "")
      .file("drive_c/b/zorpzcfg.prf", "")
      .file("drive_c/work/zorpzcfg.prf", "")
      .env("PATH", "c:\\A;c:\\b;C:\\WORK;c:\\work\\")
      .workingDirectory("drive_c/work");
  EXPECT_BLOCK(
      machine.run({"-d", "-v", "ZOR_LANG"}), 0,
      {"CHK0050I: ===> Setup checks.", "CHK0056I: Writing log file c:\\work\\zorivt.log.",
       "CHK0075A: More than one Corvanta profile found: c:\\corvanta\\zorpzcfg.prf.",
       "CHK--DBG: PATH = 'c:\\corvanta;c:\\a;c:\\b;c:\\work;c:\\work\\'",
       "CHK0075A: More than one Corvanta profile found: c:\\a\\zorpzcfg.prf.",
       "CHK0075A: More than one Corvanta profile found: c:\\b\\zorpzcfg.prf.", UsedInWork});
}

// No profile anywhere: CHK0062R with the bare name, then the search list. A
// profile named with a directory that does not hold it is reported, and its
// file name is still searched along the search list.
TEST(Profile, MissingProfilesAreReported) {
  TestMachine machine;
  machine.env("PATH", "c:\\Tools").workingDirectory("drive_c/work");
  RunResult run = machine.run({"-d", "-v", "ZOR_LANG"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_BLOCK(run, 0,
               e2e::setupBlock("c:\\work", {"CHK0062R: Corvanta profile zorpzcfg.prf not found.",
                                            "CHK--DBG: PATH = 'c:\\work;c:\\tools'"}));
  run = machine.file("drive_c/work/my.prf", "").run({"-f", "c:\\Nowhere\\My", "-v", "ZOR_LANG"});
  EXPECT_BLOCK(
      run, 0,
      e2e::setupBlock("c:\\work",
                      {"CHK0008R: The Corvanta profile file 'c:\\nowhere\\my.prf' does not exist.",
                       "CHK0063I: Corvanta profile used: c:\\work\\my.prf."}));
}

// How lines become pairs, line by line:
//  - a final backslash continues the line when a blank stands before it or
//    it is the line's only backslash; the pieces are joined unchanged, and
//    an "=" in a continuation line is plain text (lines 2-6);
//  - a directory value ending in a backslash after an earlier one does not
//    continue (7), and a line of a single backslash is invalid (8);
//  - lines without "=" or starting with "=" are invalid (9, 10), reported
//    with their numbers, comments and empty lines counted;
//  - a comment ends a continued pair, which keeps what it had (12, 13);
//  - no blanks are needed around "=", an empty value is set, the last of
//    two assignments wins, carriage returns are trimmed like blanks, also
//    ahead of a continuation (14-16, 19-20);
//  - a non-empty environment value replaces the profile's, still counted
//    as set in the profile (17); a line longer than 255 characters is read
//    whole (18); a last line that continues is invalid and its pair lost.
TEST(Profile, LinesBecomePairs) {
  TestMachine machine;
  const std::string value(300, 'v');
  machine.env("ZOR_LANG", "ENU")
      .workingDirectory("drive_c/work")
      .file("drive_c/work/zorpzcfg.prf",
            "# settings\r\n"
            "ZOR_USERID = x \\\n"
            "y \\\n"
            "z\n"
            "ZOR_PASSWORD = one\\\n"
            "two=2\n"
            "ZOR_FILES = c:\\data\\\n"
            "\\\n"
            "no equals sign\n"
            "=orphan\n"
            "\n"
            "ZOR_HOST = a \\\n"
            "# a note\n"
            "ZOR_TIMEOUT=first\n"
            "ZOR_PROTOCOL =\n"
            "ZOR_TIMEOUT = second\r\n"
            "ZOR_LANG = DE\n"
            "ZOR_NOTIF_INT = " +
                value +
                "\n"
                "ZOR_TRACE_FILE = p \\\r\n"
                "q\r\n"
                "ZOR_SEGMENT_SIZE = s \\\n");
  RunResult run =
      machine.run({"-v",
                   "ZOR_USERID;ZOR_PASSWORD;ZOR_FILES;ZOR_HOST;ZOR_TIMEOUT;ZOR_PROTOCOL;"
                   "ZOR_LANG;ZOR_NOTIF_INT;ZOR_TRACE_FILE;ZOR_SEGMENT_SIZE;=orphan"});
  EXPECT_BLOCK(run, 0,
               e2e::setupBlock("c:\\work",
                               {UsedInWork, "CHK0064A: Invalid line 8 in profile will be ignored.",
                                "CHK0064A: Invalid line 9 in profile will be ignored.",
                                "CHK0064A: Invalid line 10 in profile will be ignored.",
                                "CHK0064A: Invalid line 21 in profile will be ignored."}));
  EXPECT_BLOCK(run, 0,
               {"CHK0103I: Variable ZOR_USERID is 'xy z' (set in the profile).",
                "CHK0103I: Variable ZOR_PASSWORD is 'onetwo=2' (set in the profile).",
                "CHK0103I: Variable ZOR_FILES is 'c:\\data\\' (set in the profile).",
                "CHK0103I: Variable ZOR_HOST is 'a' (set in the profile).",
                "CHK0103I: Variable ZOR_TIMEOUT is 'second' (set in the profile).",
                "CHK0103I: Variable ZOR_PROTOCOL is '' (set in the profile).",
                "CHK0103I: Variable ZOR_LANG is 'ENU' (set in the profile).",
                "CHK0103I: Variable ZOR_NOTIF_INT is '" + value + "' (set in the profile).",
                "CHK0103I: Variable ZOR_TRACE_FILE is 'pq' (set in the profile).",
                "CHK0101I: Variable 'ZOR_SEGMENT_SIZE' is not set.",
                "CHK0101I: Variable '=orphan' is not set."});
}

// The spelling check of profile keys: unknown keys draw CHK0074A with the
// nearest name (and under -d the distance), the earliest in table order on
// a tie (zor_lang is 7 from several names); a key in small letters does not
// set the upper-case variable, and a one-letter key is a key like any other.
// Known keys, the first and the last row of the table among them, draw
// nothing.
TEST(Profile, UnknownKeyIsReportedWithTheNearestName) {
  TestMachine machine;
  machine.file("drive_c/zorpzcfg.prf",
               "ZORPF_RESOLVE = 1\n"
               "zor_lang = DE\n"
               "ZOR_HOST = dbhost\n"
               "ZOR_TRACEFILE = t.log\n"
               "PATH = c:\\bin\n"
               "P=1\n"
               "ZOR_VERSION_CHECK = YES\n");
  RunResult run = machine.run({"-d", "-v", "ZOR_LANG;zor_lang;P"});
  EXPECT_BLOCK(
      run, 0,
      e2e::setupBlock("c:\\", {"CHK0063I: Corvanta profile used: c:\\zorpzcfg.prf.",
                               "CHK0074A: Variable zor_lang is not known. Correct it to ZOR_HOST.",
                               "CHK--DBG: wld(zor_lang, ZOR_HOST) = 7",
                               "CHK0074A: Variable ZOR_TRACEFILE is not known. Correct it to "
                               "ZOR_TRACE_FILE.",
                               "CHK--DBG: wld(ZOR_TRACEFILE, ZOR_TRACE_FILE) = 1",
                               "CHK0074A: Variable PATH is not known. Correct it to ZOR_DB_PATH.",
                               "CHK--DBG: wld(PATH, ZOR_DB_PATH) = 7",
                               "CHK0074A: Variable P is not known. Correct it to ZOR_MPPT.",
                               "CHK--DBG: wld(P, ZOR_MPPT) = 7"}));
  EXPECT_BLOCK(run, 0,
               {"CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).",
                "CHK0103I: Variable zor_lang is 'DE' (set in the profile).",
                "CHK0103I: Variable P is '1' (set in the profile)."});
}

// Memory running out ends the run with CHK0097R on the console and as the
// last line of the log, and exit status 4: never an abort with the C++
// runtime's text. A profile value of 32 MB in a process allowed 32 MB of
// address space.
TEST(Profile, RunningOutOfMemoryEndsWithItsOwnMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "a sanitized checker cannot run in a small address space";
#else
  if (e2e::windowsBuild()) GTEST_SKIP() << "the address-space limit is a POSIX one";
  TestMachine machine;
  machine.file("drive_c/zorpzcfg.prf",
               "ZOR_LANG = en\nZOR_TRACE_FILE = " + std::string(32 << 20, 'x') + "\n");
  const auto out = machine.host("out.txt");
  const auto err = machine.host("err.txt");
  const int status = e2e::runProcess(e2e::checkerBinary(), {"zorivt"},
                                     {"ZORIVT_MACHINE=" + machine.root().string()},
                                     machine.host("drive_c"), out, err, 60, [] {
                                       const struct rlimit limit = {32 << 20, 32 << 20};
                                       return ::setrlimit(RLIMIT_AS, &limit) == 0;
                                     });
  const char* const Message =
      "CHK0097R: Not enough memory to complete the run; the checker ends here.";
  EXPECT_EQ(status, 4);
  const std::vector<std::string> log = e2e::splitLines(machine.read("drive_c/zorivt.log"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), Message);
  EXPECT_EQ(log.front().rfind("CHK0000I", 0), 0u);
  const std::vector<std::string> console = e2e::splitLines(e2e::readFile(out));
  ASSERT_FALSE(console.empty());
  EXPECT_EQ(console.back(), Message);
  EXPECT_EQ(e2e::readFile(err), "");
#endif
}
