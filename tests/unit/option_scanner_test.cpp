#include "driver/option_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/main_flow.h"

namespace {

using Args = std::vector<const char*>;

/// The options and arguments the scanner returns, as "c" or "c=arg",
/// "?" for errors, then "|index".
std::string scan(Args args) {
  args.insert(args.begin(), "zorivt");
  OptionScanner scanner(static_cast<int>(args.size()), args.data(), OptionLetters);
  std::string result;
  for (int c = scanner.nextOption(); c != OptionScanner::EndOfOptions; c = scanner.nextOption()) {
    if (!result.empty()) result += ' ';
    result += static_cast<char>(c);
    if (!scanner.optionArgument().empty()) result += "=" + scanner.optionArgument().str();
  }
  return result + "|" + std::to_string(scanner.index());
}

CommandLine parse(Args args) {
  args.insert(args.begin(), "zorivt");
  return parseCommandLine(static_cast<int>(args.size()), args.data());
}

}  // namespace

// Arguments in the word (directly, after ":" or "=") or in the next word;
// grouped letters; optional arguments; errors ("?") and the end of the
// options ("--", "-", a long option or a plain word).
TEST(OptionScanner, ArgumentsGroupsErrorsAndTheEndOfTheOptions) {
  EXPECT_EQ(scan({"-fname"}), "f=name|2");
  EXPECT_EQ(scan({"-f:name"}), "f=name|2");
  EXPECT_EQ(scan({"-f=name"}), "f=name|2");
  EXPECT_EQ(scan({"-f", "name", "-d"}), "f=name d|4");
  EXPECT_EQ(scan({"/F", "name"}), "F=name|3");
  EXPECT_EQ(scan({"-2", "31"}), "2=31|3");
  EXPECT_EQ(scan({"-23"}), "2=3|2");
  EXPECT_EQ(scan({"-ie"}), "i e|2");
  EXPECT_EQ(scan({"-s", "-d"}), "s d|3");
  EXPECT_EQ(scan({"-s", "a;b"}), "s=a;b|3");
  EXPECT_EQ(scan({"-u"}), "u|2");
  EXPECT_EQ(scan({"-du"}), "d u|2");
  EXPECT_EQ(scan({"-x"}), "?|2");
  EXPECT_EQ(scan({"-:"}), "?|2");
  EXPECT_EQ(scan({"-f"}), "?|2");
  EXPECT_EQ(scan({"-f", "-d"}), "? d|3");
  EXPECT_EQ(scan({"/"}), "?|2");
  EXPECT_EQ(scan({"--"}), "|2");
  EXPECT_EQ(scan({"-"}), "|2");
  EXPECT_EQ(scan({"--long", "x"}), "|2");
  EXPECT_EQ(scan({"word", "-d"}), "|1");
  EXPECT_EQ(scan({"-d", "word"}), "d|2");
}

TEST(CommandLine, OptionsSetTheSwitchesLastOneWinning) {
  CommandLine line =
      parse({"-2", "31", "-f", "myprof", "-I", "-s", "-t", "-u", "c:\\etc", "-v", "A;B", "--"});
  EXPECT_FALSE(line.usageError);
  EXPECT_EQ(line.options.version, 231);
  EXPECT_EQ(line.options.profileName, Str("myprof.prf"));
  EXPECT_EQ(line.threshold, 26001u);
  EXPECT_TRUE(line.switches.scanMode);
  EXPECT_TRUE(line.switches.scanMasks.empty());
  EXPECT_TRUE(line.options.testAvailability);
  EXPECT_TRUE(line.switches.updateMode);
  EXPECT_EQ(line.options.givenEtcDirectory, Str("c:\\etc"));
  EXPECT_EQ(line.switches.variableList, Str("A;B"));

  EXPECT_EQ(parse({"-ie"}).threshold, 26600u);
  EXPECT_EQ(parse({"-f", "myprof.cfg"}).options.profileName, Str("myprof.cfg"));
  EXPECT_EQ(parse({"-f", "dir.x\\prof"}).options.profileName, Str("dir.x\\prof.prf"));
  EXPECT_EQ(parse({"-2x"}).options.version, 2);
  EXPECT_EQ(parse({"-2", "99"}).options.version, 299);
  EXPECT_FALSE(parse({"-2", "99"}).usageError);
  EXPECT_TRUE(parse({"-2999"}).usageError);
  EXPECT_TRUE(parse({"-299999999999999999"}).usageError);
  EXPECT_TRUE(parse({"--", "x"}).usageError);
}
