// Portable interface to the file system of the (real or emulated) Windows
// machine: status and access tests, current directories and directory
// searches (replacing a file: file_replacement.h). Paths are 8-bit Windows
// paths.
// Nothing here reports; failures show as false or an empty text.
#pragma once

#include <memory>
#include <string>

namespace platform {

constexpr unsigned ModeRegularFile = 0x8000;
constexpr unsigned ModeDirectory = 0x4000;

/// The mode bits of `_stat`; false when the path does not exist.
bool fileMode(const std::string& path, unsigned& mode);
/// `_access(path, 4)`: the path exists and may be read.
bool isReadable(const std::string& path);

/// The process's current directory (`_getcwd`); empty when there is none.
std::string currentDirectory();
/// Current directory of a drive (`_getdcwd`), drive 1 = A:; empty when the
/// drive has none.
std::string currentDirectoryOfDrive(int drive);

/// A directory search (`FindFirstFileA` / `FindNextFileA` / `FindClose`).
/// Lists ".", "..", then the entries whose names match the last component
/// of the pattern ("*" and "?" wildcards, letter case ignored).
class DirectorySearch {
 public:
  DirectorySearch();
  ~DirectorySearch();
  DirectorySearch(DirectorySearch&&) noexcept;
  DirectorySearch& operator=(DirectorySearch&&) noexcept;
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  /// Starts a search; false when the directory cannot be searched or
  /// nothing matches.
  bool first(const std::string& pattern, std::string& name);
  bool next(std::string& name);
  void close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
