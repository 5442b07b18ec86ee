// The emulated machine of POSIX hosts: drives, case-insensitive names,
// current directories, PATH and the order of directory searches.
#include <gtest/gtest.h>

#include <unistd.h>

#include "config/path_utils.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "test_machine.h"

TEST(EmulatedMachine, DrivesMapToTheirFoldersAndZToTheHostRoot) {
  TestMachine machine;
  machine.writeFile("drive_d/x.txt", "d");
  EXPECT_TRUE(isFile("d:\\x.txt"));
  EXPECT_FALSE(isDirectory("e:\\"));
  // z: is the host's root unless the machine has a drive_z folder.
  std::string hostFile = machine.host("drive_d/x.txt").string();
  std::string windows = "z:" + hostFile;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  EXPECT_TRUE(isFile(windows));
  machine.makeDirectory("drive_z");
  ScopedEnvironment reload("ZORIVT_MACHINE", (machine.root().string() + "/").c_str());
  EXPECT_FALSE(isFile(windows));
}

TEST(EmulatedMachine, NamesMatchExactlyElseIgnoringCaseFirstInByteOrder) {
  TestMachine machine;
  machine.writeFile("drive_c/Dir/readme", "exact");
  machine.writeFile("drive_c/dir/README", "lower dir");
  machine.writeFile("drive_c/dir/ReadMe", "lower dir, mixed");
  platform::File file;
  char buffer[32] = {0};
  ASSERT_TRUE(file.open("c:\\Dir\\readme", platform::File::Access::Read, platform::File::Kind::Binary));
  EXPECT_EQ(std::string(buffer, file.read(buffer, sizeof buffer)), "exact");
  // "DIR" matches "Dir" and "dir"; "Dir" comes first in byte order. Its
  // entry "README" differs in case only from "readme" there.
  ASSERT_TRUE(file.open("c:\\DIR\\README", platform::File::Access::Read, platform::File::Kind::Binary));
  EXPECT_EQ(std::string(buffer, file.read(buffer, sizeof buffer)), "exact");
  ASSERT_TRUE(file.open("c:\\dir\\Readme", platform::File::Access::Read, platform::File::Kind::Binary));
  EXPECT_EQ(std::string(buffer, file.read(buffer, sizeof buffer)), "lower dir");
}

TEST(EmulatedMachine, NewFilesKeepTheirSpellingOrReplaceACaseVariant) {
  TestMachine machine;
  machine.writeFile("drive_c/Logs/ZORIVT.LOG", "old");
  platform::File file;
  ASSERT_TRUE(file.open("c:\\logs\\zorivt.log", platform::File::Access::Write, platform::File::Kind::Text));
  file.write("new");
  file.close();
  EXPECT_EQ(machine.readFile("drive_c/Logs/ZORIVT.LOG"), "new");
  ASSERT_TRUE(file.open("c:\\logs\\New.Txt", platform::File::Access::Write, platform::File::Kind::Text));
  file.close();
  EXPECT_TRUE(std::filesystem::exists(machine.host("drive_c/Logs/New.Txt")));
  EXPECT_FALSE(file.open("c:\\missing\\x.txt", platform::File::Access::Write, platform::File::Kind::Text));
  EXPECT_FALSE(file.open("c:\\logs", platform::File::Access::Read, platform::File::Kind::Text));
}

TEST(EmulatedMachine, CurrentDirectoryOutsideTheMachineIsOnDriveZ) {
  TestMachine machine;
  machine.changeDirectory("");
  std::string expected = "z:" + machine.root().string();
  for (char& c : expected) {
    if (c == '/') c = '\\';
  }
  EXPECT_EQ(platform::currentDirectory(), expected);
  machine.changeDirectory("drive_c");
  EXPECT_EQ(platform::currentDirectory(), "c:\\");
}

TEST(EmulatedMachine, PosixPathIsPresentedAsAWindowsList) {
  TestMachine machine;
  machine.makeDirectory("drive_c/bin");
  std::string value;
  {
    ScopedEnvironment path("PATH", (machine.host("drive_c/bin").string() + "::/usr/bin").c_str());
    ASSERT_TRUE(platform::environmentVariable("PATH", value));
    EXPECT_EQ(value, "c:\\bin;z:\\usr\\bin");
  }
  {
    ScopedEnvironment path("PATH", "c:\\bin;d:\\x");
    ASSERT_TRUE(platform::environmentVariable("PATH", value));
    EXPECT_EQ(value, "c:\\bin;d:\\x");
  }
  ScopedEnvironment unset("ZORIVT_UNSET_FOR_TEST", nullptr);
  EXPECT_FALSE(platform::environmentVariable("ZORIVT_UNSET_FOR_TEST", value));
}

TEST(EmulatedMachine, SearchesListDotsThenNamesInUpperCaseOrder) {
  TestMachine machine;
  for (const char* name : {"b", "B", "a_x", "A", "~z", "[q"}) machine.writeFile(std::string("drive_c/s/") + name, "");
  platform::DirectorySearch search;
  std::vector<std::string> names;
  std::string name;
  for (bool more = search.first("c:\\s\\*", name); more; more = search.next(name)) names.push_back(name);
  // Upper-cased: "A", "A_X", "B"/"B" (host order: "B" before "b"), "[Q", "~Z".
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A", "a_x", "B", "b", "[q", "~z"}));
  EXPECT_FALSE(search.first("c:\\nowhere\\*", name));
  EXPECT_TRUE(search.first("c:\\s\\A*", name));
  EXPECT_EQ(name, "A");
}

TEST(EmulatedMachine, NoMachineStillHasDriveZ) {
  TestMachine machine;
  ScopedEnvironment none("ZORIVT_MACHINE", nullptr);
  EXPECT_TRUE(isDirectory("z:\\"));
  EXPECT_FALSE(isDirectory("c:\\"));
  EXPECT_TRUE(platform::currentDirectory().rfind("z:\\", 0) == 0);
}
