// The path utilities on the emulated machine's drives: drive letters other
// than the current one, drive roots and paths rooted on the current drive,
// which a test on Windows cannot lay out in a temporary directory.
#include <gtest/gtest.h>

#include "config/path_utils.h"
#include "test_machine.h"

TEST(PathFilesOnDrives, RootsAndOtherDrives) {
  TestMachine machine;
  machine.writeFile("drive_c/Prod/Bin/ZorPisrv.exe", "MZ");
  machine.makeDirectory("drive_d/data");
  EXPECT_TRUE(isFile("C:/PROD/BIN/ZORPISRV.EXE"));
  EXPECT_TRUE(isDirectory("c:\\"));
  EXPECT_TRUE(isDirectory("D:\\DATA"));
  EXPECT_FALSE(isDirectory("e:\\"));
  machine.changeDirectory("drive_c/Prod");
  EXPECT_TRUE(isFile("\\prod\\bin\\zorpisrv.exe"));
}

TEST(PathFilesOnDrives, CurrentDirectoriesFollowTheDrives) {
  TestMachine machine;
  machine.makeDirectory("drive_c/Work/Sub");
  machine.makeDirectory("drive_d");
  machine.changeDirectory("drive_c/Work/Sub");
  EXPECT_EQ(currentDirectory(), Str("c:\\work\\sub"));
  EXPECT_EQ(currentDirectoryOfDrive("c:"), Str("c:\\work\\sub"));
  EXPECT_EQ(currentDirectoryOfDrive("D:"), Str("d:\\"));
  EXPECT_EQ(currentDirectoryOfDrive("q:"), Str(""));
  machine.changeDirectory("");
  EXPECT_TRUE(currentDirectory().startsWith("z:\\")) << currentDirectory().c_str();
}

TEST(PathFilesOnDrives, AbsolutePathsClimbNoHigherThanTheRoot) {
  TestMachine machine;
  machine.makeDirectory("drive_c/Work/Sub");
  machine.makeDirectory("drive_d");
  machine.changeDirectory("drive_c/Work/Sub");
  EXPECT_EQ(absolutePath("..\\..\\x"), Str("c:\\x"));
  EXPECT_EQ(absolutePath("..\\..\\..\\x"), Str("c:\\x"));
  EXPECT_EQ(absolutePath("\\Top"), Str("c:\\top"));
  EXPECT_EQ(absolutePath("d:Rel"), Str("d:\\rel"));
}
