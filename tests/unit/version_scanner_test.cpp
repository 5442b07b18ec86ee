// The version scanner's parts that the end-to-end tests reach only by
// chance: where in a file the chunked search finds a marker, and the order
// of the file walk. Paths are relative to the test machine's current
// directory so that the tests mean the same on both platforms.
#include "scan/version_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "test_machine.h"

namespace {

class VersionScannerTest : public testing::Test {
 protected:
  /// searchMarker on a file holding `bytes`; its debug lines go to search.log.
  std::string search(const std::string& bytes, const std::string& marker,
                     const std::string& path = "m.bin") {
    machine_.writeFile("drive_c/m.bin", bytes);
    testing::internal::CaptureStdout();
    std::string found;
    {
      ReportLog log("search.log", ThresholdDebug);
      found = searchMarker(log, path, marker).str();
    }
    testing::internal::GetCapturedStdout();
    return found;
  }

  std::vector<std::string> walk(const std::string& defaultPath, const std::string& masks) {
    std::vector<std::string> paths;
    VersionFileWalker walker(defaultPath, masks);
    Str path;
    for (bool more = walker.firstFile(path); more; more = walker.nextFile(path)) {
      paths.push_back(path.str());
    }
    EXPECT_FALSE(walker.nextFile(path)) << "a finished walk stays finished";
    return paths;
  }

  TestMachine machine_;
};

// Chunks of m + 1024 bytes overlap by m + 2, and each is searched in two
// halves. Whatever the bytes, the search must find what a plain search of the
// whole file finds first, and report its printable run of at most 128 bytes.
// The bytes are built from pieces of the marker, so that occurrences fall
// around chunk ends and halves, often several in one chunk.
TEST_F(VersionScannerTest, FindsTheFirstOccurrenceAsAPlainSearchDoes) {
  std::mt19937 random(11);
  for (const std::string marker : {"@(#)Corvanta", "DRVBLD"}) {
    const std::string alphabet = marker + std::string("\0 ~\x7f\x80", 5);
    for (int round = 0; round < 400; ++round) {
      std::string bytes;
      const std::size_t size = random() % 5000;
      while (bytes.size() < size) {
        if (random() % 3 == 0) {
          const std::size_t from = random() % marker.size();
          bytes += marker.substr(from, random() % (marker.size() - from + 1));
        } else {
          bytes += alphabet[random() % alphabet.size()];
        }
      }
      std::string expected;
      for (std::size_t at = bytes.find(marker); at != std::string::npos && expected.size() < 128 &&
                                                at + expected.size() < bytes.size();) {
        const char c = bytes[at + expected.size()];
        if (c < 0x20 || c > 0x7e) break;
        expected += c;
      }
      ASSERT_EQ(search(bytes, marker), expected) << "round " << round << " marker " << marker;
    }
  }
}

// Every start from wholly inside the first chunk to wholly inside the second.
TEST_F(VersionScannerTest, FindsAMarkerAtEveryPositionAroundTheFirstChunkEnd) {
  for (const std::string marker : {"@(#)Corvanta", "DRVBLD"}) {
    const std::size_t chunkEnd = marker.size() + 1024;
    for (std::size_t at = chunkEnd - marker.size() - 2; at <= chunkEnd; ++at) {
      EXPECT_EQ(search(std::string(at, '\0') + marker + std::string(1, '\0'), marker), marker)
          << "at " << at;
    }
  }
}

TEST_F(VersionScannerTest, WalksMasksInOrderEachOverTheDefaultDirectories) {
  for (const char* name :
       {"a/zor1.exe", "a/zor1.dll", "a/other.exe", "b/zor2.exe", "b/zor2", "b/zor3.x.y"}) {
    machine_.writeFile(std::string("drive_c/") + name, "");
  }
  machine_.makeDirectory("drive_c/a/zordir.exe");
  EXPECT_EQ(walk("a; ;missing;b", "zor*.exe;zor*.dll"),
            (std::vector<std::string>{"a\\zor1.exe", "b\\zor2.exe", "a\\zor1.dll"}));
  // Once per matching mask; a mask ending in "." takes names without an
  // extension; without a default directory the current one is walked.
  EXPECT_EQ(walk("b", "zor2.*;*.EXE;ZOR*."),
            (std::vector<std::string>{"b\\zor2.exe", "b\\zor2.exe", "b\\zor2"}));
  machine_.changeDirectory("drive_c/b");
  EXPECT_EQ(walk("", "zor*.exe; ;"), (std::vector<std::string>{".\\zor2.exe"}));
}

}  // namespace
