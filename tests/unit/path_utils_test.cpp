#include "config/path_utils.h"

#include <gtest/gtest.h>

#include "test_machine.h"

TEST(PathNames, TakePathsApartInLowerCase) {
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
  EXPECT_EQ(baseNameOf("c:\\dir\\Services"), Str("services"));
  EXPECT_EQ(baseNameOf("c:\\dir\\a.b.c"), Str("a.b"));
  EXPECT_EQ(normaliseDirectory("c:\\dir\\"), Str("c:\\dir"));
  EXPECT_EQ(normaliseDirectory("c:\\"), Str("c:\\"));
  EXPECT_EQ(normaliseDirectory("\\"), Str("\\"));
  EXPECT_EQ(tempFileName("c:\\etc\\services"), Str("services.tmp"));
  EXPECT_EQ(libraryFileName("WSOCK32"), Str("wsock32.dll"));
  EXPECT_EQ(libraryFileName("x.dll"), Str("x.dll"));
}

TEST(PathNames, JoinWithExactlyOneSeparatorInLowerCase) {
  EXPECT_EQ(joinPath("c:\\Dir\\", "\\Name"), Str("c:\\dir\\name"));
  EXPECT_EQ(joinPath("c:\\dir", "name"), Str("c:\\dir\\name"));
  EXPECT_EQ(joinPath("", "\\name"), Str("name"));
  EXPECT_EQ(joinPath("c:\\dir", ""), Str("c:\\dir"));
  EXPECT_EQ(joinPathList("C:\\A;", ";B"), Str("c:\\a;b"));
  EXPECT_EQ(joinPathList("", "b"), Str("b"));
}

TEST(PathFiles, TestFilesAndDirectoriesOnTheEmulatedMachine) {
  TestMachine machine;
  machine.writeFile("drive_c/Prod/Bin/ZorPisrv.exe", "MZ");
  machine.makeDirectory("drive_d/data");
  EXPECT_TRUE(isFile("c:\\prod\\bin\\zorpisrv.exe"));
  EXPECT_TRUE(isFile("C:/PROD/BIN/ZORPISRV.EXE"));
  EXPECT_FALSE(isFile("c:\\prod\\bin"));
  EXPECT_TRUE(isDirectory("c:\\prod\\bin"));
  EXPECT_TRUE(isDirectory("c:\\prod\\bin\\"));
  EXPECT_TRUE(isDirectory("c:\\"));
  EXPECT_TRUE(isDirectory("D:\\DATA"));
  EXPECT_FALSE(isDirectory("e:\\"));
  EXPECT_FALSE(isFile("c:\\prod\\bin\\zorpisrv.exe\\"));
  EXPECT_FALSE(isFile("c:\\prod\\bin\\zor*.exe"));
  EXPECT_TRUE(isAccessible("c:\\prod\\bin\\zorpisrv.exe"));
  EXPECT_FALSE(isAccessible("c:\\prod\\missing"));
  EXPECT_TRUE(isFile("bin\\zorpisrv.exe") == false);
  machine.changeDirectory("drive_c/Prod");
  EXPECT_TRUE(isFile("bin\\zorpisrv.exe"));
  EXPECT_TRUE(isFile("\\prod\\bin\\zorpisrv.exe"));
}

TEST(PathFiles, CurrentDirectoriesFollowTheDrives) {
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

TEST(PathFiles, AbsolutePathsClimbOnlyWholeParentComponents) {
  TestMachine machine;
  machine.makeDirectory("drive_c/Work/Sub");
  machine.makeDirectory("drive_d");
  machine.changeDirectory("drive_c/Work/Sub");
  EXPECT_EQ(absolutePath("zorivt.log"), Str("c:\\work\\sub\\zorivt.log"));
  EXPECT_EQ(absolutePath(".\\Name"), Str("c:\\work\\sub\\name"));
  EXPECT_EQ(absolutePath("..\\x"), Str("c:\\work\\x"));
  EXPECT_EQ(absolutePath("..\\..\\x"), Str("c:\\x"));
  EXPECT_EQ(absolutePath("..\\..\\..\\x"), Str("c:\\x"));
  EXPECT_EQ(absolutePath("c:\\a\\b\\..\\c"), Str("c:\\a\\c"));
  EXPECT_EQ(absolutePath("c:\\a\\.."), Str("c:\\"));
  EXPECT_EQ(absolutePath("file..txt"), Str("c:\\work\\sub\\file..txt"));
  EXPECT_EQ(absolutePath("c:\\a..b\\c"), Str("c:\\a..b\\c"));
  EXPECT_EQ(absolutePath("\\Top"), Str("c:\\top"));
  EXPECT_EQ(absolutePath("d:Rel"), Str("d:\\rel"));
  EXPECT_EQ(absolutePath("C:\\Dir\\"), Str("c:\\dir\\"));
}

TEST(PathFiles, FindsTheFirstDirectoryOfAListHoldingTheFile) {
  TestMachine machine;
  machine.writeFile("drive_c/b/prog.exe", "");
  machine.writeFile("drive_c/c/prog.exe", "");
  machine.makeDirectory("drive_c/a/prog.exe");  // a directory does not count
  Str found("unchanged");
  EXPECT_TRUE(findInPathList("prog.exe", " c:\\a ;;c:\\b;c:\\c", found));
  EXPECT_EQ(found, Str("c:\\b\\prog.exe"));
  found = "unchanged";
  EXPECT_FALSE(findInPathList("other.exe", "c:\\a;c:\\b", found));
  EXPECT_EQ(found, Str("unchanged"));
}

TEST(DirectoryScanner, ListsMatchingRegularFilesInNameOrder) {
  TestMachine machine;
  machine.writeFile("drive_c/d/zorB.exe", "");
  machine.writeFile("drive_c/d/ZORa.EXE", "");
  machine.writeFile("drive_c/d/zor_c.exe", "");
  machine.writeFile("drive_c/d/other.exe", "");
  machine.makeDirectory("drive_c/d/zordir.exe");
  DirectoryScanner scanner("C:\\D", "ZOR*.exe");
  std::vector<std::string> found;
  Str path;
  for (bool more = scanner.firstFile(path); more; more = scanner.nextFile(path)) {
    found.push_back(path.str());
  }
  // Upper-case order puts "_" (0x5F) after the letters.
  EXPECT_EQ(found, (std::vector<std::string>{"c:\\d\\zora.exe", "c:\\d\\zorb.exe", "c:\\d\\zor_c.exe"}));

  DirectoryScanner missing("c:\\nowhere", "*");
  EXPECT_FALSE(missing.firstFile(path));
  EXPECT_FALSE(missing.nextFile(path));
}

TEST(DirectoryScanner, EmptyDirectoryMeansTheCurrentOne) {
  TestMachine machine;
  machine.writeFile("drive_c/w/zorx.dll", "");
  machine.changeDirectory("drive_c/w");
  DirectoryScanner scanner("", "*.dll");
  Str path;
  ASSERT_TRUE(scanner.firstFile(path));
  EXPECT_EQ(path, Str(".\\zorx.dll"));
  EXPECT_FALSE(scanner.nextFile(path));
}

TEST(ReplaceFile, KeepsTheOldFileUntilTheNewOneIsInPlace) {
  TestMachine machine;
  machine.writeFile("drive_c/etc/services", "old\n");
  machine.writeFile("drive_c/etc/services.tmp", "new\n");
  EXPECT_TRUE(replaceFile("c:\\etc\\services.tmp", "c:\\etc\\services"));
  EXPECT_EQ(machine.readFile("drive_c/etc/services"), "new\n");
  EXPECT_FALSE(replaceFile("c:\\etc\\gone.tmp", "c:\\etc\\services"));
  EXPECT_EQ(machine.readFile("drive_c/etc/services"), "new\n");
}
