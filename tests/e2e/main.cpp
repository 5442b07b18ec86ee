// The end-to-end test program. Besides the tests it boots and stops the Wine
// prefix of a test run of the Windows build, for CTest's fixtures:
//
//   zorivt_e2e_tests --boot-wine-prefix DIRECTORY
//   zorivt_e2e_tests --stop-wine-prefix DIRECTORY
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "wine_prefix.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--boot-wine-prefix") {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!e2e::wine::boot(argv[2], error)) {
      std::fprintf(stderr, "cannot boot the Wine prefix %s: %s\n", argv[2], error.c_str());
      return 1;
    }
    std::printf("Wine prefix %s booted in %.1f s\n", argv[2],
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--stop-wine-prefix") {
    e2e::wine::stop(argv[2]);
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
