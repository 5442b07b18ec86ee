#include "test_machine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

void setTestEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
#endif
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) saved_ = old;
  setTestEnvironment(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  setTestEnvironment(name_.c_str(), had_ ? saved_.c_str() : nullptr);
}

TestMachine::TestMachine() {
  std::random_device device;
  std::ostringstream name;
  name << "zorivt-unit-" << std::hex << device() << device();
  root_ = fs::temp_directory_path() / name.str();
  fs::create_directories(root_ / "drive_c");
  root_ = fs::canonical(root_);
  savedDirectory_ = fs::current_path();
  const char* machine = std::getenv("ZORIVT_MACHINE");
  hadMachine_ = machine != nullptr;
  if (hadMachine_) savedMachine_ = machine;
  setTestEnvironment("ZORIVT_MACHINE", root_.string().c_str());
  fs::current_path(root_ / "drive_c");
}

TestMachine::~TestMachine() {
  fs::current_path(savedDirectory_);
  setTestEnvironment("ZORIVT_MACHINE", hadMachine_ ? savedMachine_.c_str() : nullptr);
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  if (info != nullptr && info->result()->Failed()) {
    std::fprintf(stderr, "machine directory kept: %s\n", root_.string().c_str());
    return;
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void TestMachine::makeDirectory(const std::string& relative) const {
  fs::create_directories(root_ / relative);
}

void TestMachine::writeFile(const std::string& relative, const std::string& content) const {
  fs::path path = root_ / relative;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << content;
}

std::string TestMachine::readFile(const std::string& relative) const {
  std::ifstream in(root_ / relative, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string TestMachine::readText(const std::string& relative) const {
  const std::string bytes = readFile(relative);
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

std::string TestMachine::windowsPath(const std::string& relative) const {
#ifdef _WIN32
  std::string path = (root_ / relative).string();
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

std::vector<std::string> linesOf(const std::string& text) {
  std::istringstream content(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(content, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> TestMachine::readLines(const std::string& relative) const {
  return linesOf(readText(relative));
}

void TestMachine::changeDirectory(const std::string& relative) const {
  fs::current_path(root_ / relative);
}
