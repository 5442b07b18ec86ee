// The public reading functions of the platform layer, on both backends: each
// asks the backend (host.h) and then tells the installed access recorder
// what was asked and answered. Without a recorder the cost is one test.
#include <map>
#include <set>
#include <utility>

#include "platform/access_recorder.h"
#include "platform/ascii.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/host.h"
#include "platform/library.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace platform {
namespace {

AccessRecorder* installed = nullptr;

/// The paths of the open registry keys and the keys whose values were all
/// recorded already, while a recorder is installed.
struct RegistryPaths {
  std::map<RegistryHandle, std::string> open;
  std::set<std::string> whole;  // lower-case paths
};

RegistryPaths& registryPaths() {
  static RegistryPaths paths;
  return paths;
}

bool keyPath(RegistryHandle key, std::string& path) {
  if (key == LocalMachineKey) {
    path.clear();
    return true;
  }
  auto found = registryPaths().open.find(key);
  if (found == registryPaths().open.end()) return false;
  path = found->second;
  return true;
}

/// One value of an open key, read whole however large it is.
bool readWholeValue(RegistryHandle key, const std::string& name, RecordedValue& value) {
  std::uint32_t size = 0;
  std::uint32_t type = 0;
  if (host::registryQueryValue(key, name.c_str(), &type, nullptr, &size) != RegistrySuccess) {
    return false;
  }
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::string data(size, '\0');
    std::uint32_t room = size;
    unsigned char dummy = 0;
    unsigned char* buffer = size == 0 ? &dummy : reinterpret_cast<unsigned char*>(&data[0]);
    const long status = host::registryQueryValue(key, name.c_str(), &type, buffer, &room);
    if (status == RegistryMoreData) {
      size = room;
      continue;
    }
    if (status != RegistrySuccess) return false;
    data.resize(room);
    value.name = name;
    value.type = type;
    value.data = std::move(data);
    return true;
  }
  return false;
}

/// Records every value of an open key, once per key and recording.
void recordWholeKey(RegistryHandle key) {
  std::string path;
  if (!keyPath(key, path) || !registryPaths().whole.insert(ascii::lowered(path)).second) return;
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (host::registryQueryInfo(key, &count, &longest) != RegistrySuccess) return;
  std::vector<RecordedValue> values;
  std::vector<char> name(static_cast<std::size_t>(longest) + 2);
  for (std::uint32_t index = 0; index < count; ++index) {
    auto length = static_cast<std::uint32_t>(name.size());
    if (host::registryEnumValue(key, index, name.data(), &length) != RegistrySuccess) continue;
    RecordedValue value;
    if (readWholeValue(key, std::string(name.data(), length), value)) {
      values.push_back(std::move(value));
    }
  }
  installed->registryValues(path, values, true);
}

/// The directory part of a search pattern as the pattern spells it.
std::string patternDirectory(const std::string& pattern) {
  const std::size_t cut = pattern.find_last_of("\\/");
  if (cut != std::string::npos) return pattern.substr(0, cut + 1);
  if (pattern.size() >= 2 && pattern[1] == ':') return pattern.substr(0, 2);
  return std::string();
}

}  // namespace

AccessRecorder* installAccessRecorder(AccessRecorder* recorder) {
  registryPaths() = RegistryPaths();
  return std::exchange(installed, recorder);
}

void recordFileOpened(const std::string& path, bool opened) {
  if (installed) installed->fileOpened(path, opened);
}

void recordRunPart(const std::string& title) {
  if (installed) installed->runPart(title);
}

bool fileMode(const std::string& path, unsigned& mode) {
  const bool found = host::fileMode(path, mode);
  if (installed) installed->pathAsked(path, found);
  return found;
}

bool isReadable(const std::string& path) {
  const bool readable = host::isReadable(path);
  if (installed) installed->pathAsked(path, readable);
  return readable;
}

std::string currentDirectory() {
  std::string directory = host::currentDirectory();
  if (installed) installed->currentDirectory(0, directory);
  return directory;
}

std::string currentDirectoryOfDrive(int drive) {
  std::string directory = host::currentDirectoryOfDrive(drive);
  if (installed) installed->currentDirectory(drive, directory);
  return directory;
}

struct DirectorySearch::State {
  host::DirectorySearch search;
  std::string directory;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() = default;
DirectorySearch::DirectorySearch(DirectorySearch&&) noexcept = default;
DirectorySearch& DirectorySearch::operator=(DirectorySearch&&) noexcept = default;

bool DirectorySearch::first(const std::string& pattern, std::string& name) {
  state_ = std::make_unique<State>();
  if (!state_->search.first(pattern, name)) {
    if (installed && state_->search.denied()) installed->listingDenied(patternDirectory(pattern));
    state_.reset();
    return false;
  }
  if (installed) {
    state_->directory = patternDirectory(pattern);
    installed->entryListed(state_->directory, name);
  }
  return true;
}

bool DirectorySearch::next(std::string& name) {
  if (!state_ || !state_->search.next(name)) return false;
  if (installed) installed->entryListed(state_->directory, name);
  return true;
}

void DirectorySearch::close() {
  state_.reset();
}

bool environmentVariable(const std::string& name, std::string& value) {
  const bool found = host::environmentVariable(name, value);
  if (installed) installed->environmentVariable(name, found, found ? value : std::string());
  return found;
}

long registryOpenKey(RegistryHandle parent, const char* subKey, RegistryAccess access,
                     RegistryHandle& result) {
  const long status = host::registryOpenKey(parent, subKey, access, result);
  std::string path;
  if (installed && status == RegistrySuccess && keyPath(parent, path)) {
    // The path as the registry would spell it: no empty components.
    const std::string sub = subKey ? subKey : "";
    for (std::size_t start = 0; start < sub.size();) {
      std::size_t end = sub.find('\\', start);
      if (end == std::string::npos) end = sub.size();
      if (end > start) {
        if (!path.empty()) path += '\\';
        path.append(sub, start, end - start);
      }
      start = end + 1;
    }
    registryPaths().open[result] = path;
    installed->registryKey(path);
  }
  return status;
}

long registryQueryValue(RegistryHandle key, const char* name, std::uint32_t* type,
                        unsigned char* data, std::uint32_t* size) {
  const long status = host::registryQueryValue(key, name, type, data, size);
  std::string path;
  RecordedValue value;
  if (installed && (status == RegistrySuccess || status == RegistryMoreData) &&
      keyPath(key, path) && readWholeValue(key, name ? name : "", value)) {
    installed->registryValues(path, {value}, false);
  }
  return status;
}

long registryQueryInfo(RegistryHandle key, std::uint32_t* valueCount,
                       std::uint32_t* longestValueName) {
  const long status = host::registryQueryInfo(key, valueCount, longestValueName);
  if (installed && status == RegistrySuccess) recordWholeKey(key);
  return status;
}

long registryEnumValue(RegistryHandle key, std::uint32_t index, char* name,
                       std::uint32_t* nameLength) {
  const long status = host::registryEnumValue(key, index, name, nameLength);
  if (installed) recordWholeKey(key);
  return status;
}

long registryCloseKey(RegistryHandle key) {
  if (installed) registryPaths().open.erase(key);
  return host::registryCloseKey(key);
}

bool windowsVersion(VersionInfo& info) {
  const bool known = host::windowsVersion(info);
  if (installed && known) installed->windowsVersion(info);
  return known;
}

std::string windowsDirectory() {
  std::string directory = host::windowsDirectory();
  if (installed) installed->windowsDirectory(directory);
  return directory;
}

ModuleHandle loadLibrary(const char* fileName) {
  ModuleHandle module = host::loadLibrary(fileName);
  if (installed && fileName != nullptr) {
    installed->libraryLoad(fileName, module != nullptr ? 0 : lastError());
  }
  return module;
}

}  // namespace platform
