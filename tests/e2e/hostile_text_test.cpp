// Texts from the machine under inspection that hold every byte value: each
// reaches the log and the console as one line, its control characters (all
// but the tab) shown as "<0x..>", every other byte as it is.
#include <cstdio>

#include "harness.h"
#include "platform/ascii.h"

using e2e::RunResult;
using e2e::shown;
using e2e::TestMachine;

namespace {

/// The bytes 1 to 255 but those in `left out`.
std::string everyByte(const std::string& leftOut) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) {
    if (leftOut.find(static_cast<char>(c)) == std::string::npos) bytes += static_cast<char>(c);
  }
  return bytes;
}

/// The run ends with status 0, no line of the log or the console holds a
/// control character but the tab (a carriage return ends the console's
/// progress text), the log ends with the one CHK0999I line, and it holds
/// `line`.
void expectOneLineEach(const RunResult& run, const std::string& line) {
  EXPECT_EQ(run.exitStatus, 0) << run.command;
  for (const std::vector<std::string>* lines : {&run.log, &run.out}) {
    for (const std::string& text : *lines) {
      for (unsigned char c : text) {
        EXPECT_FALSE((c < 0x20 && c != '\t' && c != '\r') || c == 0x7f)
            << "control character " << int(c) << " in: " << shown(text) << "\n"
            << run.command;
      }
    }
  }
  int ends = 0;
  for (const std::string& text : run.log) ends += text.rfind("CHK0999I", 0) == 0 ? 1 : 0;
  EXPECT_EQ(ends, 1) << run.command;
  ASSERT_FALSE(run.log.empty());
  EXPECT_EQ(run.log.back(), "CHK0999I: Configuration-checking utility ended.");
  bool found = false;
  for (const std::string& text : run.log) found = found || text == line;
  EXPECT_TRUE(found) << "no line " << shown(line) << "\n" << run.command;
}

const std::string Forged = "\nCHK0999I: Configuration-checking utility ended.\n\x1b[2J";

}  // namespace

TEST(HostileText, EnvironmentAndProfileValuesAndKeys) {
  SKIP_ON_WINDOWS_BUILD("the host hands these bytes to the emulated machine only");
  TestMachine machine;
  const std::string value = everyByte("");
  RunResult run = machine.env("ZOR_USERID", value).run({"-v", "ZOR_USERID"});
  expectOneLineEach(
      run, "CHK0102I: Variable ZOR_USERID is '" + shown(value) + "' (set in the environment).");

  // A profile line ends at its line feed, a key at the first "="; both
  // sides are trimmed.
  const std::string inner = "x" + everyByte("\n") + "x";
  const std::string key = "ZOR_x" + everyByte("\n=") + "x";
  run = machine
            .file("drive_c/zorpzcfg.prf", "ZOR_PASSWORD = " + inner + "\n" + key + " = 1\n" +
                                              "ZOR_LANG = EU" + Forged + "\n")
            .run({"-d", "-v", "ZOR_PASSWORD"});
  expectOneLineEach(
      run, "CHK0103I: Variable ZOR_PASSWORD is '" + shown(inner) + "' (set in the profile).");
  const std::string unknownKey = "CHK0074A: Variable " + shown(key) + " is not known.";
  bool keyShown = false;
  for (const std::string& text : run.log) keyShown = keyShown || text.rfind(unknownKey, 0) == 0;
  EXPECT_TRUE(keyShown) << run.command;
}

TEST(HostileText, RegistryValuesAndNames) {
  SKIP_ON_WINDOWS_BUILD("the registry file is the emulated machine's");
  TestMachine machine;
  std::string hex;
  for (unsigned char c : everyByte("")) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02x,", c);
    hex += digits;
  }
  // A quoted name of the registry file cannot hold a line end; its quote
  // and backslash are written escaped.
  const std::string name = everyByte("\r\n\"\\");
  machine.registry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\n"
      "\"Version\"=hex(1):" +
      hex + "00\n\"" + name + "\\\\\\\"\"=\"v\"\n");
  RunResult run = machine.run({"-d"});
  expectOneLineEach(run,
                    "CHK0090I: Corvanta version read from Registry: " + shown(everyByte("")) + ".");
  expectOneLineEach(run, "CHK--DBG:   " + shown(name) + "\\\": v");
}

TEST(HostileText, FileNamesUnderTheScan) {
  SKIP_ON_WINDOWS_BUILD("host file names hold bytes Windows names cannot");
  TestMachine machine;
  // A host file name cannot hold "/" (nor NUL); "\\" separates names on the
  // emulated machine, whose directory search passes no name holding a
  // wildcard or one of <>|" (nor does Windows).
  const std::string name = "zor" + everyByte("/\\*?<>|\"") + ".exe";
  const std::string lower = platform::ascii::lowered(name);
  machine.file("drive_c/" + name, "");
  RunResult run = machine.run({"-s", "zor*.exe"});
  expectOneLineEach(run, "CHK0066I: Scanning c:\\" + shown(lower) + "...");
  expectOneLineEach(run, "CHK0069I: No version information found in " + shown(lower) + ".");
}

TEST(HostileText, HostNames) {
  SKIP_ON_WINDOWS_BUILD("the host name reaches the emulated resolver only");
  TestMachine machine;
  // The server list splits at blanks and commas.
  const std::string host = everyByte(" \t,");
  RunResult run = machine.file("drive_c/zorposrv.exe", "")
                      .faults("resolver hosts-only\n")
                      .env("OS_ROOTDIR", "c:\\ostore")
                      .env("OS_NETWORK", "o4nettcp")
                      .env("ZOR_HOST", host)
                      .run({});
  expectOneLineEach(run, "CHK0217I: The database server is on host " + shown(host) + ".");
  expectOneLineEach(run, "CHK0304R: Server host '" + shown(host) + "' not found.");
}
