#include "machine_directory.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace test_support {

fs::path createTemporaryFolder(const std::string& prefix) {
  std::random_device device;
  std::ostringstream name;
  name << prefix << std::hex << device() << device();
  const fs::path folder = fs::temp_directory_path() / name.str();
  fs::create_directories(folder);
  return fs::canonical(folder);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string withLineFeeds(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

MachineDirectory::MachineDirectory(const fs::path& root) : root_(root) {
  fs::create_directories(root_ / "drive_c");
}

void MachineDirectory::file(const std::string& relative, const std::string& content) const {
  writeFile(root_ / relative, content);
}

void MachineDirectory::directory(const std::string& relative) const {
  fs::create_directories(root_ / relative);
}

std::string MachineDirectory::read(const std::string& relative) const {
  return readFile(root_ / relative);
}

void setEnvironment(const char* name, const char* value) {
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
  setEnvironment(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  setEnvironment(name_.c_str(), had_ ? saved_.c_str() : nullptr);
}

}  // namespace test_support
