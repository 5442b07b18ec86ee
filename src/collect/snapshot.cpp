#include "collect/snapshot.h"

#include <cstdio>
#include <set>

#include "platform/ascii.h"
#include "platform/file_system.h"
#include "platform/host_files.h"

namespace {

/// `text` with control characters and bytes above 0x7E shown as \xNN (and a
/// backslash before such a sequence kept as it is): plain ASCII for the
/// manifest.
std::string visible(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7e) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

std::string number(std::uint64_t n) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(n));
  return text;
}

bool hasLineEnd(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

/// A line of the `environment` file: "NAME=value" as it is, or, when the
/// entry holds a line end or the name starts with a backslash, a backslash
/// and the entry with "\\", "\n" and "\r" escaped.
std::string environmentLine(const std::string& name, const std::string& value) {
  const std::string entry = name + "=" + value;
  if (!hasLineEnd(entry) && entry[0] != '\\') return entry + "\n";
  std::string line = "\\";
  for (char c : entry) {
    if (c == '\\') {
      line += "\\\\";
    } else if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      line += c;
    }
  }
  return line + "\n";
}

/// The components of an actual machine path ("c:\a\b": "drive_c", "a",
/// "b"); false for anything else or a component that would leave the
/// snapshot ("." or "..").
bool snapshotComponents(const std::string& actual, std::vector<std::string>& parts) {
  parts.clear();
  if (actual.size() < 3 || actual[1] != ':' || actual[2] != '\\') return false;
  const char drive = platform::ascii::lower(actual[0]);
  if (drive < 'a' || drive > 'z') return false;
  parts.push_back(std::string("drive_") + drive);
  std::size_t start = 3;
  while (start < actual.size()) {
    std::size_t end = actual.find('\\', start);
    if (end == std::string::npos) end = actual.size();
    const std::string part = actual.substr(start, end - start);
    if (part == "." || part == ".." || part.find('/') != std::string::npos) return false;
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  return true;
}

/// Creates the folders of a snapshot and names its files on the host.
class SnapshotFolder {
 public:
  explicit SnapshotFolder(const std::string& root) : root_(root) {}

  /// The host path of a machine path inside the snapshot, its folders made
  /// (all of them when `isFolder`, else all but the last component).
  bool place(const std::string& actual, bool isFolder, std::string& host) {
    std::vector<std::string> parts;
    if (!snapshotComponents(actual, parts)) return false;
    host = root_;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      host = platform::hostChildPath(host, parts[i]);
      if (i + 1 == parts.size() && !isFolder) break;
      if (made_.insert(host).second && !platform::createHostFolder(host)) return false;
    }
    return true;
  }

  /// Whether a file was placed at `host` already (first comer wins).
  bool claim(const std::string& host) { return files_.insert(host).second; }

 private:
  std::string root_;
  std::set<std::string> made_;
  std::set<std::string> files_;
};

}  // namespace

void SnapshotRecorder::fileOpened(const std::string& path, bool opened) {
  const std::string key = "r" + platform::ascii::lowered(path);
  if (pathIndex_.count(key) == 0) {
    pathIndex_[key] = paths_.size();
    paths_.push_back({path, Kind::Read, opened, part_});
  }
}

void SnapshotRecorder::pathAsked(const std::string& path, bool found) {
  const std::string key = "a" + platform::ascii::lowered(path);
  auto known = pathIndex_.find(key);
  if (known == pathIndex_.end()) {
    pathIndex_[key] = paths_.size();
    paths_.push_back({path, Kind::Asked, found, part_});
  } else if (!found) {
    // Its mode was given, yet it may not be read: it stands as unreadable.
    paths_[known->second].found = false;
  }
}

void SnapshotRecorder::entryListed(const std::string& directory, const std::string& name) {
  if (name == "." || name == "..") {
    pathAsked(directory.empty() ? "." : directory, true);
    return;
  }
  const std::string path = directory + name;
  const std::string key = "l" + platform::ascii::lowered(path);
  if (pathIndex_.count(key) == 0) {
    pathIndex_[key] = paths_.size();
    paths_.push_back({path, Kind::Listed, true, part_});
  }
}

void SnapshotRecorder::currentDirectory(int drive, const std::string& directory) {
  if (drive == 0) {
    if (currentDirectory_.empty()) currentDirectory_ = directory;
  } else if (!directory.empty()) {
    driveDirectories_.emplace(drive, directory);
  }
}

void SnapshotRecorder::environmentVariable(const std::string& name, bool found,
                                           const std::string& value) {
  if (!environmentSeen_.emplace(platform::ascii::lowered(name), found).second) return;
  environmentParts_[name] = part_;
  if (found) environment_.emplace_back(name, value);
}

SnapshotRecorder::KeyItem& SnapshotRecorder::key(const std::string& path) {
  const std::string lowered = platform::ascii::lowered(path);
  auto found = keyIndex_.find(lowered);
  if (found != keyIndex_.end()) return keys_[found->second];
  keyIndex_[lowered] = keys_.size();
  keys_.push_back(KeyItem{ExportedKey{path, {}}, false, part_});
  return keys_.back();
}

void SnapshotRecorder::registryKey(const std::string& path) {
  key(path);
}

void SnapshotRecorder::registryValues(const std::string& keyPath,
                                      const std::vector<platform::RecordedValue>& values,
                                      bool whole) {
  KeyItem& item = key(keyPath);
  if (item.whole) return;
  if (whole) {
    // The enumeration order is the one the replay must give.
    item.key.values = values;
    item.whole = true;
    return;
  }
  for (const platform::RecordedValue& value : values) {
    bool known = false;
    for (const platform::RecordedValue& old : item.key.values) {
      known = known || platform::ascii::equalIgnoringCase(old.name, value.name);
    }
    if (!known) item.key.values.push_back(value);
  }
}

void SnapshotRecorder::windowsVersion(const platform::VersionInfo& info) {
  hasVersion_ = true;
  version_ = info;
}

void SnapshotRecorder::windowsDirectory(const std::string& directory) {
  windowsDirectory_ = directory;
}

void SnapshotRecorder::libraryLoad(const std::string& name, std::uint32_t error) {
  // The socket library, once loaded, is answered from the network
  // recording instead; that it would not load is kept here.
  std::string base = platform::ascii::lowered(name);
  if ((base == "wsock32" || base == "wsock32.dll") && error == 0) {
    usedSockets_ = true;
    return;
  }
  for (const auto& library : libraries_) {
    if (platform::ascii::equalIgnoringCase(library.first, name)) return;
  }
  libraries_.emplace_back(name, error);
}

void SnapshotRecorder::listingDenied(const std::string& directory) {
  const std::string folder = directory.empty() ? "." : directory;
  if (!deniedIndex_.insert(platform::ascii::lowered(folder)).second) return;
  deniedListings_.emplace_back(folder, part_);
}

void SnapshotRecorder::runPart(const std::string& title) {
  // The heading's title: "CHK0051I: ===> R/T Server found, checks started."
  const std::size_t arrow = title.find("===> ");
  part_ = arrow == std::string::npos ? title : title.substr(arrow + 5);
}

bool SnapshotRecorder::write(const std::string& folder, const std::string& network,
                             const std::vector<std::string>& networkSummary,
                             std::vector<std::string>& problems) {
  SnapshotFolder snapshot(folder);
  std::vector<std::string> manifest;
  std::uint64_t copiedBytes = 0;
  std::uint64_t placeholderBytes = 0;
  std::uint64_t smallFileBytes = 0;
  bool ok = true;

  // Control characters of a hostile name reach neither the console nor the
  // manifest.
  const auto problem = [&](const std::string& text) {
    problems.push_back(visible(text));
    manifest.push_back("NOT TAKEN " + visible(text));
  };
  const auto fromPart = [](const std::string& part) { return " (" + visible(part) + ")"; };

  // Files read first, so that their bytes win over a placeholder.
  for (const PathItem& item : paths_) {
    if (item.kind != Kind::Read) continue;
    const std::string actual = platform::actualMachinePath(item.path);
    if (actual.empty()) {
      // Missing, as on replay; a file read on a path outside the drives
      // (a network share) is not taken.
      if (item.found) problem(item.path + ": not on a drive" + fromPart(item.part));
      continue;
    }
    unsigned mode = 0;
    if (!platform::fileMode(actual, mode) || !(mode & platform::ModeRegularFile)) continue;
    std::string host;
    if (!snapshot.place(actual, false, host)) {
      problem(actual + ": cannot be placed in the snapshot");
      continue;
    }
    if (!snapshot.claim(host)) continue;
    std::uint64_t size = 0;
    std::string reason;
    if (!item.found) {
      problem(actual + ": could not be read (access denied)" + fromPart(item.part));
      std::uint64_t known = 0;
      if (platform::machineFileSize(actual, known) &&
          platform::createHostPlaceholder(host, known, false)) {
        placeholderBytes += known;
      }
      continue;
    }
    if (platform::copyMachineFileToHost(actual, host, size, reason)) {
      copiedBytes += size;
      manifest.push_back("file " + visible(actual) + ": " + number(size) + " bytes copied" +
                         fromPart(item.part));
    } else {
      problem(actual + ": " + reason + fromPart(item.part));
    }
  }
  for (const PathItem& item : paths_) {
    if (item.kind == Kind::Read) continue;
    const std::string actual = platform::actualMachinePath(item.path);
    if (actual.empty()) continue;
    unsigned mode = 0;
    if (!platform::fileMode(actual, mode)) continue;
    const bool isFolder = (mode & platform::ModeDirectory) != 0;
    std::string host;
    if (!snapshot.place(actual, isFolder, host)) {
      problem(actual + ": cannot be placed in the snapshot");
      continue;
    }
    const char* how = item.kind == Kind::Listed ? "listed" : "asked for";
    if (isFolder) {
      if (snapshot.claim(host)) {
        manifest.push_back("folder " + visible(actual) + ": " + how + fromPart(item.part));
      }
      continue;
    }
    if (!snapshot.claim(host)) continue;
    const bool unreadable = item.kind == Kind::Asked && !item.found;
    if (unreadable) problem(actual + ": could not be read (access denied)" + fromPart(item.part));
    std::uint64_t size = 0;
    if (!platform::machineFileSize(actual, size) ||
        !platform::createHostPlaceholder(host, size, !unreadable)) {
      problem(actual + ": its placeholder cannot be written");
      continue;
    }
    placeholderBytes += size;
    manifest.push_back("placeholder " + visible(actual) + ": " + number(size) + " bytes, " + how +
                       fromPart(item.part));
  }

  for (const auto& denied : deniedListings_) {
    problem(denied.first + ": could not be listed (access denied)" + fromPart(denied.second));
  }

  const auto writeFile = [&](const char* name, const std::string& text) {
    if (!platform::writeNewHostFile(platform::hostChildPath(folder, name), text)) {
      problems.push_back(std::string(name) + ": cannot be written in the snapshot");
      ok = false;
      return;
    }
    smallFileBytes += text.size();
  };

  // The current directory, made in the snapshot so that a replay can write
  // its log there.
  std::string cwd = currentDirectory_.empty() ? platform::currentDirectory() : currentDirectory_;
  std::string cwdText = cwd + "\n";
  const std::string actualCwd = platform::actualMachinePath(cwd);
  std::string cwdHost;
  if (actualCwd.empty() || !snapshot.place(actualCwd, true, cwdHost)) {
    problem("the current directory " + cwd + ": cannot be placed in the snapshot");
  }
  manifest.push_back("current directory " + visible(cwd));
  for (const auto& drive : driveDirectories_) {
    if (hasLineEnd(drive.second)) continue;
    cwdText += drive.second + "\n";
    manifest.push_back("current directory of drive " + visible(drive.second));
  }
  if (!hasLineEnd(cwd)) writeFile("cwd", cwdText);

  std::string environment;
  for (const auto& variable : environment_) {
    const std::string part = fromPart(environmentParts_[variable.first]);
    environment += environmentLine(variable.first, variable.second);
    manifest.push_back("environment variable " + visible(variable.first) + part);
  }
  writeFile("environment", environment);

  std::string system;
  if (hasVersion_) {
    system += "version " + number(version_.major) + " " + number(version_.minor) + " " +
              number(version_.build) + " " + number(version_.platformId) + "\n";
  }
  if (!windowsDirectory_.empty() && !hasLineEnd(windowsDirectory_)) {
    system += "windows-directory " + windowsDirectory_ + "\n";
  }
  for (const auto& library : libraries_) {
    if (hasLineEnd(library.first)) continue;
    system += "library " + library.first +
              (library.second == 0 ? std::string(" loaded") : " error " + number(library.second)) +
              "\n";
  }
  if (!system.empty()) {
    manifest.push_back("system: Windows version, directory and libraries loaded");
    writeFile("system", system);
  }

  std::vector<ExportedKey> keys;
  for (const KeyItem& item : keys_) {
    if (hasLineEnd(item.key.path)) {
      problem("registry key " + item.key.path + ": its name cannot be exported");
      continue;
    }
    keys.push_back(item.key);
    manifest.push_back("registry key HKEY_LOCAL_MACHINE\\" + visible(item.key.path) + ": " +
                       number(item.key.values.size()) + " values" +
                       (item.whole ? ", all of them" : "") + fromPart(item.part));
  }
  std::vector<std::string> skipped;
  writeFile("registry.reg", exportRegistry(keys, skipped));
  for (const std::string& text : skipped) problem(text);

  if (!network.empty()) writeFile("network", network);
  if (usedSockets_) manifest.push_back("library wsock32.dll loaded: the network calls follow");
  for (const std::string& line : networkSummary) manifest.push_back("network " + visible(line));

  std::string text = "zorivt-collect snapshot\n\n";
  for (const std::string& line : manifest) text += line + "\n";
  text += "\nbytes copied: " + number(copiedBytes) + "\n";
  text += "placeholders (sizes only, no bytes stored): " + number(placeholderBytes) + "\n";
  text += "snapshot size: " + number(copiedBytes + smallFileBytes) + " bytes and this manifest\n";
  writeFile("MANIFEST.txt", text);
  return ok;
}
