// What a run read from the machine, gathered while it runs, and the snapshot
// folder written from it afterwards: a machine directory (see
// docs/emulated-machine.md) holding exactly what the run read, and a
// MANIFEST.txt that lists each item and the part of the run that read it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "collect/registry_export.h"
#include "platform/access_recorder.h"

class SnapshotRecorder : public platform::AccessRecorder {
 public:
  void fileOpened(const std::string& path, bool opened) override;
  void pathAsked(const std::string& path, bool found) override;
  void entryListed(const std::string& directory, const std::string& name) override;
  void listingDenied(const std::string& directory) override;
  void currentDirectory(int drive, const std::string& directory) override;
  void environmentVariable(const std::string& name, bool found, const std::string& value) override;
  void registryKey(const std::string& path) override;
  void registryValues(const std::string& keyPath,
                      const std::vector<platform::RecordedValue>& values, bool whole) override;
  void windowsVersion(const platform::VersionInfo& info) override;
  void windowsDirectory(const std::string& directory) override;
  void libraryLoad(const std::string& name, std::uint32_t error) override;
  void runPart(const std::string& title) override;

  /// Writes the snapshot into the existing, empty host folder `folder`.
  /// `network` is the text of the recorded network calls and
  /// `networkSummary` one line for each. Problems (what could not be read)
  /// go to `problems`, one line each. False when the snapshot could not be
  /// written.
  bool write(const std::string& folder, const std::string& network,
             const std::vector<std::string>& networkSummary, std::vector<std::string>& problems);

 private:
  enum class Kind { Read, Asked, Listed };
  struct PathItem {
    std::string path;  // as the run spelt it
    Kind kind;
    bool found;
    std::string part;
  };
  struct KeyItem {
    ExportedKey key;
    bool whole = false;
    std::string part;
  };

  std::vector<PathItem> paths_;
  std::map<std::string, std::size_t> pathIndex_;  // kind + lower-case path -> paths_
  std::vector<KeyItem> keys_;
  std::map<std::string, std::size_t> keyIndex_;  // lower-case path -> keys_
  std::vector<std::pair<std::string, std::string>> environment_;
  std::map<std::string, std::string> environmentParts_;
  std::map<std::string, bool> environmentSeen_;  // lower-case name -> found
  std::string currentDirectory_;
  std::map<int, std::string> driveDirectories_;
  bool hasVersion_ = false;
  platform::VersionInfo version_;
  std::string windowsDirectory_;
  std::vector<std::pair<std::string, std::uint32_t>> libraries_;
  std::vector<std::pair<std::string, std::string>> deniedListings_;  // folder, part
  std::set<std::string> deniedIndex_;  // the folders above, lower case
  std::string part_ = "Start";
  bool usedSockets_ = false;

  KeyItem& key(const std::string& path);
};
