// A file shortened while it is mapped: the guard turns the bus error into
// zero bytes, the registry loader goes on and counts the file unreadable,
// and the handler in force before the guard is back after it.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/posix/mapped_file.h"
#include "platform/posix/regedit_parser.h"
#include "test_machine.h"

using platform::posix::MappedFile;

namespace {

void sentinelHandler(int) {}

/// Shortens the host file to `size` as soon as this process maps it, on a
/// thread of its own: the reader meets the cut in the middle of its work.
class TruncateWhenMapped {
 public:
  TruncateWhenMapped(const std::string& hostPath, off_t size)
      : thread_([this, path = std::filesystem::canonical(hostPath).string(), size] {
          while (!stop_) {
            std::ifstream maps("/proc/self/maps");
            std::stringstream text;
            text << maps.rdbuf();
            if (text.str().find(path) != std::string::npos) {
              ASSERT_EQ(::truncate(path.c_str(), size), 0);
              return;
            }
          }
        }) {}
  ~TruncateWhenMapped() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(MappedFileGuard, AShortenedFileReadsAsZerosFromItsNewEndAndTheHandlerIsRestored) {
  TestMachine machine;
  const long page = ::sysconf(_SC_PAGESIZE);
  const std::string path = machine.host("drive_c/m.bin").string();
  machine.file("drive_c/m.bin", std::string(4 * page + 100, 'x'));
  MappedFile file;
  ASSERT_EQ(file.openHost(path), MappedFile::Opened::Mapped);

  struct sigaction sentinel = {}, before = {}, after = {};
  sentinel.sa_handler = sentinelHandler;
  ASSERT_EQ(::sigaction(SIGBUS, &sentinel, &before), 0);
  {
    const MappedFile::Guard guard(file);
    std::size_t sum = 0;
    for (std::size_t i = 0; i < file.size(); ++i) sum += file.bytes()[i];
    EXPECT_FALSE(guard.faulted()) << "a file left as it is reads without a fault";
    EXPECT_EQ(sum, file.size() * 'x');
  }
  ASSERT_EQ(::truncate(path.c_str(), page + 10), 0);
  {
    const MappedFile::Guard guard(file);
    std::size_t marks = 0;
    std::size_t zeros = 0;
    for (std::size_t i = 0; i < file.size(); ++i) {
      marks += file.bytes()[i] == 'x';
      zeros += file.bytes()[i] == 0;
    }
    EXPECT_TRUE(guard.faulted());
    EXPECT_EQ(marks, static_cast<std::size_t>(page + 10));
    EXPECT_EQ(marks + zeros, file.size());
  }
  ASSERT_EQ(::sigaction(SIGBUS, &before, &after), 0);
  EXPECT_EQ(after.sa_handler, sentinelHandler) << "the guard put back the handler it found";
}

// The registry file cut on another thread while it is parsed; when the cut
// comes too late (a busy machine), the attempt is made again, and a machine
// too busy for any attempt skips the test (the guard's own test above does
// not depend on timing). The parse takes long enough to be cut in the
// middle nearly always.
TEST(MappedFileGuard, ARegistryFileCutWhileItIsParsedCountsAsUnreadable) {
  TestMachine machine;
  const std::string path = machine.host("registry.reg").string();
  std::string export_ = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Cut]\r\n";
  for (int i = 0; export_.size() < (8u << 20); ++i) {
    export_ += "\"Value" + std::to_string(i) + "\"=\"data\"\r\n";
  }
  bool cutInTime = false;
  for (int attempt = 0; attempt < 10 && !cutInTime; ++attempt) {
    machine.file("registry.reg", export_);
    TruncateWhenMapped cutter(path, 100);
    platform::posix::RegeditFileState state = platform::posix::RegeditFileState::Missing;
    const platform::posix::RegistryTree tree = platform::posix::loadRegeditFile(path, &state);
    const auto key = tree.subKey(platform::posix::RegistryTree::Root, "SOFTWARE");
    cutInTime = state == platform::posix::RegeditFileState::Unreadable;
    if (cutInTime) {
      EXPECT_EQ(key, platform::posix::RegistryTree::NoKey) << "nothing of a cut file is kept";
    } else {
      EXPECT_EQ(state, platform::posix::RegeditFileState::Loaded);
    }
  }
  if (!cutInTime) GTEST_SKIP() << "no attempt cut the file before the parse ended";
}

}  // namespace
