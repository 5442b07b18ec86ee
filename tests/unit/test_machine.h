// A throw-away emulated machine for unit tests: a temporary directory laid
// out as a machine directory, selected through ZORIVT_MACHINE, with the
// process's working directory moved into its drive_c. Everything is
// restored (and the directory removed unless the test failed) when it goes
// out of scope. On Windows the same directory is an ordinary temporary one:
// windowsPath() tells how a test names its files on either platform.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  const std::filesystem::path& root() const { return root_; }
  /// Host path of a path relative to the machine directory ("drive_c/x").
  std::filesystem::path host(const std::string& relative) const { return root_ / relative; }

  void makeDirectory(const std::string& relative) const;
  void writeFile(const std::string& relative, const std::string& content) const;
  std::string readFile(const std::string& relative) const;
  /// The file's text with its line ends as line feeds: the Windows C
  /// runtime ends the lines of a file written in text mode with CR LF.
  std::string readText(const std::string& relative) const;
  /// The lines of readText.
  std::vector<std::string> readLines(const std::string& relative) const;
  /// The Windows path of a path relative to the machine directory: on the
  /// emulated machine "drive_c/Dir" is "c:\Dir"; on Windows it is the
  /// temporary directory's own path.
  std::string windowsPath(const std::string& relative) const;
  /// Moves the working directory to a directory of the machine.
  void changeDirectory(const std::string& relative) const;

 private:
  std::filesystem::path root_;
  std::filesystem::path savedDirectory_;
  std::string savedMachine_;
  bool hadMachine_ = false;
};

/// The lines of `text`, without their line feeds.
std::vector<std::string> linesOf(const std::string& text);

/// Sets or (with a null value) removes an environment variable.
void setTestEnvironment(const char* name, const char* value);

/// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();

 private:
  std::string name_;
  std::string saved_;
  bool had_;
};
