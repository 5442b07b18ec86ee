// The path utilities, on either platform; drives other than the current
// one, drive roots and rooted paths are the emulated machine's test.
#include "config/path_utils.h"

#include <gtest/gtest.h>

#include "test_machine.h"

TEST(PathNames, TakePathsApartAndJoinThemInLowerCase) {
  EXPECT_EQ(nameStart("c:\\dir\\File.Txt"), 8u);
  EXPECT_EQ(nameStart("c:name"), 3u);
  EXPECT_EQ(nameStart("name"), 1u);
  EXPECT_EQ(fileNamePart("C:\\Dir\\File.Txt"), Str("file.txt"));
  EXPECT_EQ(fileNamePart("c:Name.prf"), Str("name.prf"));
  EXPECT_EQ(parentDirectory("c:Name.prf"), Str("c:"));
  EXPECT_EQ(parentDirectory("C:\\Dir\\File.Txt"), Str("c:\\dir"));
  EXPECT_EQ(parentDirectory("c:\\file"), Str("c:\\"));
  EXPECT_EQ(parentDirectory("file"), Str(""));
  EXPECT_EQ(extensionOf("c:\\a.b\\name"), Str(""));
  EXPECT_EQ(extensionOf("name."), Str("."));
  EXPECT_EQ(extensionOf("x.tar.GZ"), Str("gz"));
  EXPECT_EQ(baseNameOf("c:\\dir\\a.b.c"), Str("a.b"));
  EXPECT_EQ(joinPath("c:\\Dir\\", "\\Name"), Str("c:\\dir\\name"));
  EXPECT_EQ(joinPath("c:\\dir", "name"), Str("c:\\dir\\name"));
  EXPECT_EQ(joinPath("", "\\name"), Str("name"));
  EXPECT_EQ(joinPath("c:\\dir", ""), Str("c:\\dir"));
  EXPECT_EQ(joinPathList("C:\\A;", ";B"), Str("c:\\a;b"));
  EXPECT_EQ(joinPathList("", "b"), Str("b"));
}

namespace {

Str lowered(const std::string& text) {
  return Str(text).toLower();
}

}  // namespace

// Files and directories are told apart ignoring case; relative paths
// resolve against the current directory, and only whole ".." components
// climb.
TEST(PathFiles, TestFilesIgnoringCaseAndResolveRelativePaths) {
  TestMachine machine;
  machine.file("drive_c/Prod/Bin/ZorPisrv.exe", "MZ");
  const std::string bin = machine.windowsPath("drive_c/Prod/Bin");
  const std::string exe = bin + "\\zorpisrv.exe";
  EXPECT_TRUE(isFile(exe));
  EXPECT_TRUE(isFile(Str(exe).uppered()));
  EXPECT_FALSE(isFile(bin));
  EXPECT_TRUE(isDirectory(bin));
  EXPECT_TRUE(isDirectory(bin + "\\"));
  EXPECT_FALSE(isFile(exe + "\\"));
  EXPECT_FALSE(isFile(bin + "\\zor*.exe"));
  EXPECT_TRUE(isAccessible(exe));
  EXPECT_FALSE(isAccessible(bin + "\\missing"));
  EXPECT_FALSE(isFile("bin\\zorpisrv.exe"));

  machine.changeDirectory("drive_c/Prod/Bin");
  EXPECT_TRUE(isFile("..\\BIN/ZORPISRV.EXE"));
  const Str sub = lowered(bin);
  const Str prod = lowered(machine.windowsPath("drive_c/Prod"));
  EXPECT_EQ(currentDirectory(), sub);
  EXPECT_EQ(currentDirectoryOfDrive(sub.mid(1, 2)), sub);
  EXPECT_EQ(absolutePath("zorivt.log"), joinPath(sub, "zorivt.log"));
  EXPECT_EQ(absolutePath(".\\Name"), joinPath(sub, "name"));
  EXPECT_EQ(absolutePath("..\\x"), joinPath(prod, "x"));
  EXPECT_EQ(absolutePath("file..txt"), joinPath(sub, "file..txt"));
  EXPECT_EQ(absolutePath("c:\\a\\b\\..\\c"), Str("c:\\a\\c"));
  EXPECT_EQ(absolutePath("c:\\a\\.."), Str("c:\\"));
  EXPECT_EQ(absolutePath("c:\\..\\..\\x"), Str("c:\\x"));  // no climbing above the root
  EXPECT_EQ(absolutePath("c:\\a..b\\c"), Str("c:\\a..b\\c"));
  EXPECT_EQ(absolutePath("c:\\a\\..b\\..\\c.."), Str("c:\\a\\c.."));
  EXPECT_EQ(absolutePath("C:\\Dir\\"), Str("c:\\dir\\"));
}

TEST(PathFiles, FindsTheFirstDirectoryOfAListHoldingTheFile) {
  TestMachine machine;
  machine.file("drive_c/b/prog.exe", "");
  machine.file("drive_c/c/prog.exe", "");
  machine.directory("drive_c/a/prog.exe");  // a directory does not count
  const std::string a = machine.windowsPath("drive_c/a");
  const std::string b = machine.windowsPath("drive_c/b");
  const std::string c = machine.windowsPath("drive_c/c");
  Str found("unchanged");
  EXPECT_TRUE(findInPathList("prog.exe", " " + a + " ;;" + b + ";" + c, found));
  EXPECT_EQ(found, joinPath(lowered(b), "prog.exe"));
  found = "unchanged";
  EXPECT_FALSE(findInPathList("other.exe", a + ";" + b, found));
  EXPECT_EQ(found, Str("unchanged"));
}
