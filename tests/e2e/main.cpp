// The end-to-end test program. Besides the tests it boots and stops the Wine
// prefix of a test run of the Windows build, for CTest's fixtures:
//
//   zorivt_e2e_tests --boot-wine-prefix DIRECTORY
//   zorivt_e2e_tests --stop-wine-prefix DIRECTORY
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "wine_prefix.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--boot-wine-prefix") {
    std::string error;
    if (!e2e::wine::boot(argv[2], error)) {
      std::fprintf(stderr, "cannot boot the Wine prefix %s: %s\n", argv[2], error.c_str());
      return 1;
    }
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--stop-wine-prefix") {
    e2e::wine::stop(argv[2]);
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
