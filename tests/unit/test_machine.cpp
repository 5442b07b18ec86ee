#include "test_machine.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace fs = std::filesystem;

TestMachine::TestMachine()
    : MachineDirectory(test_support::createTemporaryFolder("zorivt-unit-")),
      savedDirectory_(fs::current_path()),
      machine_("ZORIVT_MACHINE", root().string().c_str()) {
  fs::current_path(root() / "drive_c");
}

TestMachine::~TestMachine() {
  fs::current_path(savedDirectory_);
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  if (info != nullptr && info->result()->Failed()) {
    std::fprintf(stderr, "machine directory kept: %s\n", root().string().c_str());
    return;
  }
  std::error_code ignored;
  fs::remove_all(root(), ignored);
}

std::string TestMachine::readText(const std::string& relative) const {
  return test_support::withLineFeeds(read(relative));
}

std::vector<std::string> TestMachine::readLines(const std::string& relative) const {
  return test_support::splitLines(readText(relative));
}

std::string TestMachine::windowsPath(const std::string& relative) const {
#ifdef _WIN32
  std::string path = (root() / relative).string();
#else
  std::string path = relative;
  if (path.compare(0, 6, "drive_") == 0 && path.size() >= 7) {
    path = path.substr(6, 1) + ":\\" + (path.size() > 8 ? path.substr(8) : "");
  }
#endif
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void TestMachine::changeDirectory(const std::string& relative) const {
  fs::current_path(root() / relative);
}
