// platform::File: reading through the file's own buffer must give exactly
// what the C runtime's reads and moves give.
#include "platform/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "test_machine.h"

namespace {

TEST(FileBufferedReads, AgreeWithUnbufferedReadsAndMoves) {
  TestMachine machine;
  std::mt19937 random(5);
  std::string content;
  for (int i = 0; i < 5000; ++i) {
    content += random() % 9 == 0 ? '\n' : static_cast<char>('a' + random() % 26);
  }
  machine.file("drive_c/data.bin", content);

  for (std::size_t bufferSize : {1u, 7u, 64u, 1000u, 100000u}) {
    platform::File plain, buffered;
    ASSERT_TRUE(plain.open("data.bin", platform::File::Access::Read, platform::File::Kind::Binary));
    ASSERT_TRUE(
        buffered.open("data.bin", platform::File::Access::Read, platform::File::Kind::Binary));
    buffered.bufferReads(bufferSize);
    for (int step = 0; step < 3000; ++step) {
      const std::string where =
          "buffer " + std::to_string(bufferSize) + " step " + std::to_string(step);
      if (random() % 3 == 0) {
        std::string a, b;
        ASSERT_EQ(buffered.readLine(b), plain.readLine(a)) << where;
        ASSERT_EQ(b, a) << where;
        continue;
      }
      // A read, then a move: back by at most what was read (a scan moves back
      // a little), or now and then far ahead, also past the end. Never before
      // the start: where a refused move leaves the position is up to the C
      // runtime.
      std::string a(random() % 300, '\0'), b(a);
      const std::size_t got = plain.read(a.data(), a.size());
      ASSERT_EQ(buffered.read(b.data(), b.size()), got) << where;
      ASSERT_EQ(b, a) << where;
      const std::int64_t offset =
          random() % 8 == 0
              ? static_cast<std::int64_t>(random() % 3000)
              : -static_cast<std::int64_t>(random() % (std::min<std::size_t>(got, 40) + 1));
      ASSERT_TRUE(plain.seekRelative(offset)) << where;
      ASSERT_TRUE(buffered.seekRelative(offset)) << where;
    }
  }
}

}  // namespace
