// The emulated machine of POSIX hosts: drives, case-insensitive names,
// current directories, PATH, the order of directory searches and which host
// files are read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "config/path_utils.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/posix/faults.h"
#include "platform/posix/machine.h"
#include "platform/posix/regedit_parser.h"
#include "test_machine.h"

namespace {

std::string windowsName(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace

// Each drive_<letter> folder is a drive; z: is the host's root unless the
// machine has a drive_z folder; without a machine only z: exists.
TEST(EmulatedMachine, DrivesMapToTheirFoldersAndZToTheHostRoot) {
  TestMachine machine;
  machine.file("drive_c/Prod/Bin/ZorPisrv.exe", "MZ");
  machine.file("drive_d/x.txt", "d");
  EXPECT_TRUE(isFile("C:/PROD/BIN/ZORPISRV.EXE"));
  EXPECT_TRUE(isFile("c:\\..\\Prod\\..\\Prod\\Bin\\ZorPisrv.exe"));  // ".." stops at the root
  EXPECT_TRUE(isDirectory("c:\\"));
  EXPECT_TRUE(isFile("D:\\X.TXT"));
  EXPECT_FALSE(isDirectory("e:\\"));
  const std::string onHost = windowsName("z:" + machine.host("drive_d/x.txt").string());
  EXPECT_TRUE(isFile(onHost));
  machine.directory("drive_z");
  {
    ScopedEnvironment reload("ZORIVT_MACHINE", (machine.root().string() + "/").c_str());
    EXPECT_FALSE(isFile(onHost));
  }
  ScopedEnvironment none("ZORIVT_MACHINE", nullptr);
  EXPECT_TRUE(isDirectory("z:\\"));
  EXPECT_FALSE(isDirectory("c:\\"));
  EXPECT_TRUE(platform::currentDirectory().rfind("z:\\", 0) == 0);
}

TEST(EmulatedMachine, NamesMatchExactlyElseIgnoringCaseFirstInByteOrder) {
  TestMachine machine;
  machine.file("drive_c/Dir/readme", "exact");
  machine.file("drive_c/dir/README", "lower dir");
  machine.file("drive_c/dir/ReadMe", "lower dir, mixed");
  auto read = [](const char* path) -> std::string {
    platform::File file;
    char buffer[32] = {0};
    if (!file.open(path, platform::File::Access::Read, platform::File::Kind::Binary)) return "-";
    return std::string(buffer, file.read(buffer, sizeof buffer));
  };
  EXPECT_EQ(read("c:\\Dir\\readme"), "exact");
  // "DIR" matches "Dir" and "dir"; "Dir" comes first in byte order. Its
  // entry "README" differs in case only from "readme" there.
  EXPECT_EQ(read("c:\\DIR\\README"), "exact");
  EXPECT_EQ(read("c:\\dir\\Readme"), "lower dir");
}

TEST(EmulatedMachine, NewFilesKeepTheirSpellingOrReplaceACaseVariant) {
  TestMachine machine;
  machine.file("drive_c/Logs/ZORIVT.LOG", "old");
  platform::File file;
  const auto write = platform::File::Access::Write;
  const auto text = platform::File::Kind::Text;
  ASSERT_TRUE(file.open("c:\\logs\\zorivt.log", write, text));
  file.write("new");
  file.close();
  EXPECT_EQ(machine.read("drive_c/Logs/ZORIVT.LOG"), "new");
  ASSERT_TRUE(file.open("c:\\logs\\New.Txt", write, text));
  file.close();
  EXPECT_TRUE(std::filesystem::exists(machine.host("drive_c/Logs/New.Txt")));
  EXPECT_FALSE(file.open("c:\\missing\\x.txt", write, text));
  EXPECT_FALSE(file.open("c:\\logs", platform::File::Access::Read, text));
}

// The current directory is on its drive, or on z: outside the machine; every
// other drive's current directory is its root. A rooted path is on the
// current drive, and ".." climbs no higher than the root.
TEST(EmulatedMachine, CurrentDirectoriesFollowTheDrives) {
  TestMachine machine;
  machine.directory("drive_c/Work/Sub");
  machine.directory("drive_d");
  machine.changeDirectory("drive_c/Work/Sub");
  EXPECT_EQ(currentDirectory(), Str("c:\\work\\sub"));
  EXPECT_EQ(currentDirectoryOfDrive("c:"), Str("c:\\work\\sub"));
  EXPECT_EQ(currentDirectoryOfDrive("D:"), Str("d:\\"));
  EXPECT_EQ(currentDirectoryOfDrive("q:"), Str(""));
  EXPECT_EQ(absolutePath("..\\..\\x"), Str("c:\\x"));
  EXPECT_EQ(absolutePath("..\\..\\..\\x"), Str("c:\\x"));
  EXPECT_EQ(absolutePath("\\Top"), Str("c:\\top"));
  EXPECT_EQ(absolutePath("d:Rel"), Str("d:\\rel"));
  machine.changeDirectory("");
  EXPECT_EQ(platform::currentDirectory(), windowsName("z:" + machine.root().string()));
}

TEST(EmulatedMachine, PosixPathIsPresentedAsAWindowsList) {
  TestMachine machine;
  machine.directory("drive_c/bin");
  std::string value;
  {
    ScopedEnvironment path("PATH", (machine.host("drive_c/bin").string() + "::/usr/bin").c_str());
    ASSERT_TRUE(platform::environmentVariable("PATH", value));
    EXPECT_EQ(value, "c:\\bin;z:\\usr\\bin");
  }
  ScopedEnvironment path("PATH", "c:\\bin;d:\\x");
  ASSERT_TRUE(platform::environmentVariable("PATH", value));
  EXPECT_EQ(value, "c:\\bin;d:\\x");
}

TEST(EmulatedMachine, SearchesListDotsThenNamesInUpperCaseOrder) {
  TestMachine machine;
  for (const char* name : {"b", "B", "a_x", "A", "~z", "[q"}) {
    machine.file(std::string("drive_c/s/") + name, "");
  }
  platform::DirectorySearch search;
  std::vector<std::string> names;
  std::string name;
  for (bool more = search.first("c:\\s\\*", name); more; more = search.next(name)) {
    names.push_back(name);
  }
  // Upper-cased: "A", "A_X", "B"/"B" (host order: "B" before "b"), "[Q", "~Z".
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A", "a_x", "B", "b", "[q", "~z"}));
  EXPECT_FALSE(search.first("c:\\nowhere\\*", name));
  EXPECT_TRUE(search.first("c:\\s\\A*", name));
  EXPECT_EQ(name, "A");
}

// Where a regular file is expected, nothing else is read and nothing blocks:
// a FIFO without a writer, a directory, a device and a pseudo-file of the
// kernel (size 0, endless bytes) are refused; an empty file is read as empty.
// The faults file and the registry read through the same door.
TEST(EmulatedMachine, OnlyRegularFilesAreReadAndNothingBlocks) {
  using platform::posix::HostOpen;
  TestMachine machine;
  machine.file("drive_c/empty.txt", "");
  machine.file("drive_c/text.txt", "x\n");
  machine.directory("drive_c/dir");
  ASSERT_EQ(::mkfifo(machine.host("drive_c/fifo").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(machine.host("faults").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(machine.host("registry.reg").c_str(), 0600), 0);

  const std::pair<std::string, HostOpen> cases[] = {
      {machine.host("drive_c/text.txt").string(), HostOpen::Opened},
      {machine.host("drive_c/empty.txt").string(), HostOpen::Opened},
      {machine.host("drive_c/missing.txt").string(), HostOpen::Missing},
      {machine.host("drive_c/fifo").string(), HostOpen::NotRegular},
      {machine.host("drive_c/dir").string(), HostOpen::NotRegular},
      {"/dev/zero", HostOpen::NotRegular},
      {"/proc/self/pagemap", HostOpen::NotRegular},
  };
  for (const auto& [path, expected] : cases) {
    int fd = -1;
    const HostOpen result = platform::posix::openRegularHostFile(path, fd);
    // The kernel may refuse the probe of a pseudo-file as a failed read.
    if (result != HostOpen::Unreadable || expected != HostOpen::NotRegular || path[1] != 'p') {
      EXPECT_EQ(result, expected) << path;
    }
    EXPECT_EQ(fd >= 0, expected == HostOpen::Opened) << path;
    if (fd >= 0) ::close(fd);
  }
  platform::File file;
  EXPECT_FALSE(file.open("c:\\fifo", platform::File::Access::Read, platform::File::Kind::Binary));
  EXPECT_TRUE(file.open("c:\\empty.txt", platform::File::Access::Read, platform::File::Kind::Text));
  std::string line;
  EXPECT_FALSE(file.readLine(line));

  EXPECT_FALSE(platform::posix::currentFaults().wsock32Missing);
  testing::internal::CaptureStderr();
  platform::posix::RegeditFileState state = platform::posix::RegeditFileState::Loaded;
  platform::posix::loadRegeditFile(machine.host("registry.reg").string(), &state);
  EXPECT_EQ(state, platform::posix::RegeditFileState::NotRegular);
  testing::internal::GetCapturedStderr();
}
