// The version scanner's parts that the end-to-end tests reach only by
// chance: where in a file the chunked search finds a marker, and the order
// of the file walk. Paths are relative to the test machine's current
// directory so that the tests mean the same on both platforms.
#include "scan/version_scanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "test_machine.h"

namespace {

class VersionScannerTest : public testing::Test {
 protected:
  /// searchMarker on a file holding `bytes`.
  std::string search(const std::string& bytes, const std::string& marker,
                     const std::string& path = "m.bin") {
    machine_.file("drive_c/m.bin", bytes);
    ReportLog::Text text;
    ReportLog log(text, ThresholdDebug);
    return searchMarker(log, path, marker).str();
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

// Every start from wholly inside the first chunk to wholly inside the second;
// files no longer than the marker.
TEST_F(VersionScannerTest, FindsAMarkerAtEveryPositionAroundTheFirstChunkEnd) {
  for (const std::string marker : {"@(#)Corvanta", "DRVBLD"}) {
    const std::size_t chunkEnd = marker.size() + 1024;
    for (std::size_t at = chunkEnd - marker.size() - 2; at <= chunkEnd; ++at) {
      EXPECT_EQ(search(std::string(at, '\0') + marker + std::string(1, '\0'), marker), marker)
          << "at " << at;
    }
    // A file as long as the marker, and one a byte shorter.
    EXPECT_EQ(search(marker, marker), marker);
    EXPECT_EQ(search(marker.substr(0, marker.size() - 1), marker), "");
  }
}

/// The search as reading plain chunks does it: chunks of m + 1024 bytes, each
/// after the first starting m + 2 bytes before the end of the one before, the
/// first occurrence in a chunk taken with the printable run after it.
std::string chunkByChunk(const std::string& bytes, const std::string& marker) {
  const std::size_t m = marker.size();
  const std::size_t chunk = m + 1024;
  for (std::size_t start = 0; start < bytes.size(); start += chunk - (m + 2)) {
    const std::string piece = bytes.substr(start, chunk);
    const std::size_t at = piece.find(marker);
    if (at != std::string::npos) {
      std::string text;
      for (char c : bytes.substr(start + at, 128)) {
        if (c < 0x20 || c > 0x7e) break;
        text += c;
      }
      return text;
    }
    if (piece.size() < chunk) break;
  }
  return std::string();
}

// The scan looks at windows of a mapped file (on Windows, at blocks read into
// a buffer, a match counting only where the 128 bytes after it are in the
// buffer): markers placed around every window or block end and every such
// limit of the first ones, over random bytes that hold pieces of the marker,
// must give what the chunk-by-chunk search gives.
TEST_F(VersionScannerTest, BlockReadingAgreesWithTheChunkByChunkSearch) {
  std::mt19937 random(5);
  const std::size_t block = VersionScanBlockSize;
  for (const std::string marker : {"@(#)Corvanta", "DRVBLD"}) {
    const std::size_t m = marker.size();
    std::vector<std::size_t> positions;
    for (std::size_t edge : {block - 128, block, 2 * block - 128, 2 * block}) {
      for (std::size_t at = edge - m - 1; at <= edge + 2; ++at) positions.push_back(at);
    }
    for (std::size_t round = 0; round < positions.size(); ++round) {
      std::string bytes(2 * block + 300 + random() % 200, '\0');
      for (char& c : bytes) {
        c = static_cast<char>(random() % 8 == 0 ? random() : 0x20 + random() % 95);
      }
      for (int piece = 0; piece < 200; ++piece) {
        const std::size_t at = random() % (bytes.size() - m);
        bytes.replace(at, m - 1, marker, 0, m - 1);  // never the whole marker
      }
      bytes.replace(positions[round], m, marker);
      if (round % 3 == 0) bytes.replace(positions[round] + 200, m, marker);  // a later one
      ASSERT_EQ(search(bytes, marker), chunkByChunk(bytes, marker))
          << "marker " << marker << " at " << positions[round];
    }
  }
}

// A scan looks for both markers in one pass. Over random files holding both
// markers (or pieces of them) around block ends and near each file's end, it
// must report what two plain searches give, with the rule that the marker
// that won last is tried first in the next file.
TEST_F(VersionScannerTest, BothMarkersInOnePassAgreeWithTwoPlainSearches) {
  const std::string markers[2] = {std::string("@") + "(#)Corvanta", std::string("D") + "RVBLD"};
  const std::size_t reportFrom[2] = {4, 7};
  std::mt19937 random(17);
  const std::size_t block = VersionScanBlockSize;
  std::vector<std::string> expected;
  std::size_t first = 0;  // the marker tried first
  for (int n = 0; n < 60; ++n) {
    std::string bytes(n % 4 == 0 ? random() % 40 : block + 200 + random() % 300, '\0');
    for (char& c : bytes) c = static_cast<char>(0x20 + random() % 95);
    for (int piece = 0; piece < 50 && bytes.size() > 12; ++piece) {
      const std::string& m = markers[random() % 2];
      const std::size_t at = random() % (bytes.size() - m.size() + 1);
      bytes.replace(at, m.size() - 1, m, 0, m.size() - 1);  // never the whole marker
    }
    for (std::size_t i = 0; i < 2; ++i) {
      const std::string& m = markers[i];
      if (random() % 3 == 0 || bytes.size() < m.size()) continue;
      const std::size_t edges[] = {block - 128, block - m.size(), bytes.size() - m.size(),
                                   random() % (bytes.size() - m.size() + 1)};
      std::size_t at = edges[random() % 4];
      if (at + m.size() > bytes.size()) at = bytes.size() - m.size();
      bytes.replace(at, m.size(), m);
    }
    char name[32];
    std::snprintf(name, sizeof name, "drive_c/s/zor%03d.exe", n);
    machine_.file(name, bytes);
    const std::string texts[2] = {chunkByChunk(bytes, markers[first]),
                                  chunkByChunk(bytes, markers[1 - first])};
    auto reported = [&](const std::string& found) {
      const std::size_t from = reportFrom[first];
      return "CHK0068I: -> " + (found.size() > from ? found.substr(from) : std::string());
    };
    if (!texts[0].empty()) {
      expected.push_back(reported(texts[0]));
    } else if (!texts[1].empty()) {
      first = 1 - first;
      expected.push_back(reported(texts[1]));
    } else {
      expected.push_back("CHK0069I");
    }
  }
  ReportLog::Text text;
  {
    ReportLog log(text, ThresholdDebug);
    EXPECT_EQ(scanVersionStrings(log, "", "s\\zor*.exe"), 60);
  }
  std::vector<std::string> reported;
  for (const std::string& line : test_support::splitLines(text.file)) {
    if (line.rfind("CHK0068I", 0) == 0) reported.push_back(line);
    if (line.rfind("CHK0069I", 0) == 0) reported.push_back("CHK0069I");
  }
  EXPECT_EQ(reported, expected);
}

TEST_F(VersionScannerTest, WalksMasksInOrderEachOverTheDefaultDirectories) {
  for (const char* name :
       {"a/zor1.exe", "a/zor1.dll", "a/other.exe", "b/zor2.exe", "b/zor2", "b/zor3.x.y"}) {
    machine_.file(std::string("drive_c/") + name, "");
  }
  machine_.directory("drive_c/a/zordir.exe");
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
