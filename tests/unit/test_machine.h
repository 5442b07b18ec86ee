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

#include "machine_directory.h"

using test_support::ScopedEnvironment;

class TestMachine : public test_support::MachineDirectory {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

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
  std::filesystem::path savedDirectory_;
  ScopedEnvironment machine_;
};
