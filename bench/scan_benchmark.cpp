// Throughput of the version scan against plainly reading the same bytes.
//
// Lays out a temporary emulated machine with a few large files that look
// roughly like executables (runs of zeros, random bytes, text with pieces of
// the markers), one of them ending in a marker, and measures in one run:
//   PlainRead      the file read through platform::File in 1 MiB blocks;
//   SearchMarker   one search of the file for a marker (the whole file when
//                  it holds none, the whole file up to its last bytes else);
//   ScanVersionStrings  the -s scan of all files (endmark.bin first); both
//                  markers are looked for in one reading of each file; the
//                  rate is of the files' bytes.
// bench/scan/run-scan-vs-cat sets the whole checker beside cat and grep -F.
// Run it from the build tree: bench/zorivt_scan_benchmark [--file-mib=N].
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/report_log.h"
#include "machine_directory.h"
#include "platform/file.h"
#include "scan/version_scanner.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t MiB = 1024 * 1024;

struct BenchFile {
  std::string name;  // in c:\bench
  std::uint64_t size;
};

std::vector<BenchFile> files;
fs::path machineRoot;

std::string windowsPath(const std::string& name) {
  return "c:\\bench\\" + name;
}

/// Bytes that resemble an executable's without holding either marker.
std::string executableLikeBytes(std::size_t size, std::mt19937_64& random) {
  static const char* const words[] = {
      "Corvanta", "@(#)",       "DRVBL",    "RVBLD",    "kernel32.dll", "GetProcAddress", "Corvant",
      "@(#)Corv", "error %d\n", "QuorLink", "zorpisrv", ".text",        ".rdata"};
  std::string bytes;
  bytes.reserve(size + 4096);
  while (bytes.size() < size) {
    const std::size_t block = 512 + random() % 3584;
    switch (random() % 10) {
      case 0:
      case 1:
      case 2:
        bytes.append(block, '\0');
        break;
      case 3:
      case 4:
      case 5: {
        for (std::size_t i = 0; i < block; i += 8) {
          std::uint64_t r = random();
          bytes.append(reinterpret_cast<const char*>(&r), 8);
        }
        break;
      }
      default: {
        const std::size_t end = bytes.size() + block;
        while (bytes.size() < end) {
          bytes += words[random() % (sizeof words / sizeof words[0])];
          bytes += random() % 4 == 0 ? '\0' : ' ';
        }
      }
    }
  }
  bytes.resize(size);
  // Break any marker that the random bytes formed by chance.
  for (const char* marker : {"@(#)Corvanta", "DRVBLD"}) {
    for (std::size_t at = bytes.find(marker); at != std::string::npos;
         at = bytes.find(marker, at)) {
      bytes[at] = '\x01';
    }
  }
  return bytes;
}

void layOutMachine(std::size_t fileMiB) {
  const test_support::MachineDirectory machine(
      test_support::createTemporaryFolder("zorivt-bench-"));
  machineRoot = machine.root();
  test_support::setEnvironment("ZORIVT_MACHINE", machineRoot.string().c_str());

  std::mt19937_64 random(42);
  const std::size_t size = fileMiB * MiB;
  files = {{"nomark1.bin", size}, {"nomark2.bin", size}, {"endmark.bin", size}};
  for (const BenchFile& file : files) {
    std::string bytes = executableLikeBytes(file.size, random);
    if (file.name == "endmark.bin") {
      const std::string marker = "@(#)Corvanta";
      bytes.replace(bytes.size() - marker.size(), marker.size(), marker);
    }
    machine.file("drive_c/bench/" + file.name, bytes);
  }
}

void plainRead(benchmark::State& state, const BenchFile& file) {
  std::vector<char> block(MiB);
  for (auto _ : state) {
    platform::File in;
    if (!in.open(windowsPath(file.name), platform::File::Access::Read,
                 platform::File::Kind::Binary)) {
      state.SkipWithError("cannot open");
      return;
    }
    std::uint64_t total = 0;
    while (std::size_t got = in.read(block.data(), block.size())) total += got;
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size));
}

void searchOne(benchmark::State& state, const BenchFile& file, const char* marker) {
  ReportLog log(nullptr, ThresholdUpdate);
  for (auto _ : state) {
    Str found = searchMarker(log, windowsPath(file.name), marker);
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size));
}

void scanAll(benchmark::State& state) {
  ReportLog log(nullptr, ThresholdUpdate);
  std::uint64_t total = 0;
  for (const BenchFile& file : files) total += file.size;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scanVersionStrings(log, "c:\\bench", "*.bin"));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t fileMiB = 96;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--file-mib=", 11) == 0) {
      fileMiB = std::max<std::size_t>(1, std::strtoul(argv[i] + 11, nullptr, 10));
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());

  layOutMachine(fileMiB);
  std::printf("%zu files of %zu MiB each in %s\n", files.size(), fileMiB,
              machineRoot.string().c_str());
  for (const BenchFile& file : files) {
    benchmark::RegisterBenchmark(("PlainRead/" + file.name).c_str(), plainRead, file)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("SearchMarker/@(#)/" + file.name).c_str(), searchOne, file,
                                 "@(#)Corvanta")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark("SearchMarker/DRVBLD/nomark1.bin", searchOne, files[0], "DRVBLD")
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("ScanVersionStrings/all", scanAll)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(machineRoot, ignored);
  return 0;
}
