// Test support shared by the unit tests, the end-to-end tests, the fuzz
// targets and the benchmarks: temporary folders, machine directories laid
// out file by file, and the process's environment. Standard library only,
// so that it builds for every host and for Windows.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

/// A new folder under the temporary directory, named `prefix` and random
/// hex digits; its canonical path.
std::filesystem::path createTemporaryFolder(const std::string& prefix);

/// The bytes of a file (none when it cannot be read).
std::string readFile(const std::filesystem::path& path);
/// Writes a file anew with `bytes`, creating its folders.
void writeFile(const std::filesystem::path& path, const std::string& bytes);

/// `text` with each CR LF as a line feed: what the Windows C runtime writes
/// in text mode, read back.
std::string withLineFeeds(const std::string& text);
/// Splits at line feeds; a final line feed ends the last line.
std::vector<std::string> splitLines(const std::string& text);

/// The files of a machine directory (see docs/emulated-machine.md), named
/// by paths relative to it ("drive_c/x", "registry.reg", "faults").
class MachineDirectory {
 public:
  /// Creates `root` and its drive_c.
  explicit MachineDirectory(const std::filesystem::path& root);

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path host(const std::string& relative) const { return root_ / relative; }

  /// Creates a file with its folders.
  void file(const std::string& relative, const std::string& content) const;
  void directory(const std::string& relative) const;
  std::string read(const std::string& relative) const;

 private:
  std::filesystem::path root_;
};

/// Sets or (with a null value) removes an environment variable.
void setEnvironment(const char* name, const char* value);

/// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::string saved_;
  bool had_;
};

}  // namespace test_support
