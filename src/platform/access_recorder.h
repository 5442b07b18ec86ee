// Recording of what a run reads from the machine. When an AccessRecorder is
// installed, every access made through the platform layer's reading
// interfaces (files opened for reading, mode and readability queries,
// directory searches, current directories, registry, environment, Windows
// version and directory, libraries) is told to it after the backend has
// answered. Nothing is installed by default. Writes are never recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_info.h"

namespace platform {

/// A registry value as read: its name, type and data bytes.
struct RecordedValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

class AccessRecorder {
 public:
  virtual ~AccessRecorder() = default;

  /// A file was opened for reading (`opened` false: the open failed).
  virtual void fileOpened(const std::string& path, bool opened) = 0;
  /// The mode or readability of a path was asked; `found` tells whether the
  /// answer was that it exists (and, for readability, may be read).
  virtual void pathAsked(const std::string& path, bool found) = 0;
  /// A directory search on `directory` (as the pattern spells it, "" for the
  /// current directory) gave `name`.
  virtual void entryListed(const std::string& directory, const std::string& name) = 0;
  /// A directory search on `directory` failed: the folder may not be listed.
  virtual void listingDenied(const std::string& directory) = 0;
  /// The current directory (drive 0) or a drive's current directory.
  virtual void currentDirectory(int drive, const std::string& directory) = 0;
  virtual void environmentVariable(const std::string& name, bool found,
                                   const std::string& value) = 0;
  /// A key of HKEY_LOCAL_MACHINE was opened ("" is the hive itself).
  virtual void registryKey(const std::string& path) = 0;
  /// A value of an open key was read, or (`whole`) all values of the key
  /// were, as its enumeration or value count was asked.
  virtual void registryValues(const std::string& keyPath, const std::vector<RecordedValue>& values,
                              bool whole) = 0;
  virtual void windowsVersion(const VersionInfo& info) = 0;
  virtual void windowsDirectory(const std::string& directory) = 0;
  /// A library load: `error` 0 when it loaded.
  virtual void libraryLoad(const std::string& name, std::uint32_t error) = 0;
  /// The run started a part of its report ("Setup", a component's checks).
  virtual void runPart(const std::string& title) = 0;
};

/// Installs `recorder` (null: none) and returns the one installed before.
/// The recorder is not owned.
AccessRecorder* installAccessRecorder(AccessRecorder* recorder);

/// Hooks the readers of the platform layer call.
void recordFileOpened(const std::string& path, bool opened);
void recordRunPart(const std::string& title);

}  // namespace platform
