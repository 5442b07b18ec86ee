// The files a snapshot holds for the emulated machine, written by
// zorivt-collect and read back by the POSIX backend: the registry export
// must give back every value's type and bytes; the environment, cwd and
// system files their entries.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collect/registry_export.h"
#include "platform/posix/machine.h"
#include "platform/posix/regedit_parser.h"
#include "platform/registry.h"

using platform::RecordedValue;
using platform::posix::parseRecordedState;
using platform::posix::parseRegeditExport;
using platform::posix::RecordedState;
using platform::posix::RegistryTree;

namespace {

std::string everyByte() {
  std::string bytes;
  for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  return bytes;
}

RegistryTree::KeyId keyAt(const RegistryTree& tree, const std::vector<std::string>& path) {
  RegistryTree::KeyId key = RegistryTree::Root;
  for (const std::string& name : path) {
    key = tree.subKey(key, name);
    if (key == RegistryTree::NoKey) break;
  }
  return key;
}

}  // namespace

TEST(RegistryExport, OddValuesReadBackWithTheirTypesAndBytes) {
  using namespace std::string_literals;
  const std::vector<RecordedValue> values = {
      {"Quoted \"name\" \\ with \xe9", platform::RegistryString, "a \"b\" \\c\\\\ \xe4\xff\0"s},
      {"", platform::RegistryString, "default\0"s},
      {"Empty", platform::RegistryString, "\0"s},
      {"NoData", platform::RegistryString, ""},
      {"Unterminated", platform::RegistryString, "abc"},
      {"EmbeddedNul", platform::RegistryString, "a\0b\0"s},
      {"LineEnds", platform::RegistryString, "one\r\ntwo\n\0"s},
      {"EveryByte", platform::RegistryString, everyByte() + '\0'},
      {"Expand", platform::RegistryExpandString, "%SystemRoot%\\x\0"s},
      {"Multi", platform::RegistryMultiString, "first\0second \"q\"\0\0"s},
      {"EmptyMulti", platform::RegistryMultiString, "\0"s},
      {"Binary", platform::RegistryBinary, everyByte() + '\0'},
      {"NoBytes", platform::RegistryBinary, ""},
      {"Dword", platform::RegistryDword, "\x0a\x00\xff\x80"s},
      {"ShortDword", platform::RegistryDword, "\x01\x02\x03"},
      {"None", 0, "\x01"},
      {"Qword", 11, "\x01\x02\x03\x04\x05\x06\x07\x08"},
  };
  std::vector<std::string> skipped;
  const std::string text = exportRegistry(
      {{"SOFTWARE\\Odd [key] \xe9", values}, {"SOFTWARE\\Second", {values[0]}}}, skipped);
  EXPECT_TRUE(skipped.empty());
  ASSERT_EQ(text.rfind("REGEDIT4\n", 0), 0u);

  bool recognised = false;
  const RegistryTree tree = parseRegeditExport(text, &recognised);
  ASSERT_TRUE(recognised);
  const RegistryTree::KeyId key = keyAt(tree, {"SOFTWARE", "Odd [key] \xe9"});
  ASSERT_NE(key, RegistryTree::NoKey) << text;
  const auto& read = tree.values(key);
  ASSERT_EQ(read.size(), values.size()) << text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(read[i].name, values[i].name) << i;
    EXPECT_EQ(read[i].type, values[i].type) << values[i].name;
    EXPECT_EQ(read[i].data, values[i].data) << values[i].name;
  }
  EXPECT_EQ(tree.values(keyAt(tree, {"SOFTWARE", "Second"})).size(), 1u);
}

TEST(RegistryExport, ANameWithALineEndIsLeftOutAndSaid) {
  std::vector<std::string> skipped;
  const std::string text =
      exportRegistry({{"SOFTWARE\\K",
                       {{"bad\nname", platform::RegistryString, std::string("v\0", 2)},
                        {"good", platform::RegistryString, std::string("w\0", 2)}}}},
                     skipped);
  ASSERT_EQ(skipped.size(), 1u);
  const RegistryTree tree = parseRegeditExport(text);
  const auto& read = tree.values(keyAt(tree, {"SOFTWARE", "K"}));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].name, "good");
}

TEST(RecordedState, EnvironmentCwdAndSystemFilesAreReadAsWrittenAndOddLinesSkipped) {
  const std::string environment =
      "Path=c:\\bin;d:\\x\n"
      "NOEQUALS\n"
      "=C:=c:\\odd\n"
      "\\ZOR_X=one\\ntwo\\r\\\\three\\q\n"
      "EMPTY=\r\n";
  const std::string cwd = "c:\\Corvanta\r\nd:\\data\nnot a path\nq\n";
  const std::string system =
      "version 5 1 2600 2\n"
      "version 4 x 1 2\n"
      "windows-directory C:\\WIN NT\n"
      "library my lib.dll loaded\n"
      "library other error 193\n"
      "library bad error 0\n"
      "library missing error\n"
      "unknown line\n";
  RecordedState state;
  parseRecordedState(&environment, &cwd, &system, state);

  ASSERT_TRUE(state.hasEnvironment);
  ASSERT_EQ(state.environment.size(), 4u);
  EXPECT_EQ(state.environment[0].second, "c:\\bin;d:\\x");
  EXPECT_EQ(state.environment[1].first, "=C:");
  EXPECT_EQ(state.environment[2].first, "ZOR_X");
  EXPECT_EQ(state.environment[2].second, "one\ntwo\r\\threeq");
  EXPECT_EQ(state.environment[3].second, "");

  EXPECT_EQ(state.currentDirectory, "c:\\Corvanta");
  EXPECT_EQ(state.driveDirectories[3], "d:\\data");
  EXPECT_EQ(state.driveDirectories[16], "");

  EXPECT_TRUE(state.hasVersion);
  EXPECT_EQ(state.version.major, 5u);
  EXPECT_EQ(state.version.build, 2600u);
  EXPECT_EQ(state.windowsDirectory, "C:\\WIN NT");
  ASSERT_EQ(state.libraries.size(), 2u);
  EXPECT_EQ(state.libraries[0].name, "my lib.dll");
  EXPECT_EQ(state.libraries[0].error, 0u);
  EXPECT_EQ(state.libraries[1].error, 193u);

  // Without the files nothing is replaced; an empty environment file is an
  // empty environment.
  const std::string none;
  parseRecordedState(&none, nullptr, nullptr, state);
  EXPECT_TRUE(state.hasEnvironment);
  EXPECT_TRUE(state.environment.empty());
  EXPECT_TRUE(state.currentDirectory.empty());
  EXPECT_FALSE(state.hasVersion);
}
