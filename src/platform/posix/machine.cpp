// POSIX backend only: the emulated machine's drives and path resolution.
#include "platform/posix/machine.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/ascii.h"

namespace platform::posix {
namespace {

std::string realPathOf(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result(resolved);
  std::free(resolved);
  return result;
}

bool isHostDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool hostEntryExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string joinHost(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

/// The entries of one host directory by their lower-case names, each the
/// first in byte order of the entries that differ only in case. Kept per
/// directory so that resolving many names in a large directory stays linear.
struct FoldedDirectory {
  struct timespec modified {};
  std::unordered_map<std::string, std::string> byFoldedName;
};

bool readFoldedDirectory(const std::string& dir, FoldedDirectory& folded) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) return false;
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  folded.modified = st.st_mtim;
  folded.byFoldedName.clear();
  while (struct dirent* e = ::readdir(d)) {
    std::string entry(e->d_name);
    if (entry == "." || entry == "..") continue;
    auto inserted = folded.byFoldedName.emplace(ascii::lowered(entry), entry);
    if (!inserted.second && entry < inserted.first->second) inserted.first->second = entry;
  }
  ::closedir(d);
  return true;
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

/// The host entry of `dir` named `name`, exactly or else ignoring case (the
/// first such entry in byte order). Empty when there is none.
std::string findEntry(const std::string& dir, const std::string& name) {
  if (hostEntryExists(joinHost(dir, name))) return name;
  static std::unordered_map<std::string, FoldedDirectory> cache;
  if (cache.size() > 4096) cache.clear();
  const std::string key = ascii::lowered(name);
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) return std::string();
  auto it = cache.find(dir);
  if (it != cache.end() && sameTime(it->second.modified, st.st_mtim)) {
    auto hit = it->second.byFoldedName.find(key);
    // A hit is trusted only while the entry still exists; a miss may be a
    // file created within the directory's time-stamp granularity, so both
    // fall back to reading the directory again.
    if (hit != it->second.byFoldedName.end() && hostEntryExists(joinHost(dir, hit->second))) {
      return hit->second;
    }
  }
  FoldedDirectory& folded = cache[dir];
  if (!readFoldedDirectory(dir, folded)) {
    cache.erase(dir);
    return std::string();
  }
  auto hit = folded.byFoldedName.find(key);
  return hit == folded.byFoldedName.end() ? std::string() : hit->second;
}

bool hasWildcard(const std::string& component) {
  return component.find_first_of("*?\"<>|") != std::string::npos;
}

/// Splits a path on both separators, dropping empty pieces and "." and
/// resolving ".." lexically (a ".." at the root stays at the root).
std::vector<std::string> normalisedComponents(const std::string& path) {
  std::vector<std::string> parts;
  std::string piece;
  auto flush = [&]() {
    if (piece.empty() || piece == ".") {
    } else if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      parts.push_back(piece);
    }
    piece.clear();
  };
  for (char c : path) {
    if (c == '\\' || c == '/') {
      flush();
    } else {
      piece += c;
    }
  }
  flush();
  return parts;
}

int hostDriveIndex(char letter) {
  char l = ascii::lower(letter);
  return (l >= 'a' && l <= 'z') ? l - 'a' : -1;
}

/// The whole text of a machine file; false when it is missing or cannot be
/// read as a regular file.
bool readMachineText(const std::string& hostPath, std::string& text) {
  std::FILE* file = openRegularHostStream(hostPath);
  if (file == nullptr) return false;
  text.clear();
  char buffer[8192];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return true;
}

/// Calls `line` for each line of `text`, without its line end (LF or CRLF).
template <typename Each>
void forEachLine(const std::string& text, Each line) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    line(text.substr(start, stop - start));
    start = end + 1;
  }
}

std::string unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

bool parseNumber(const std::string& text, std::uint32_t& number) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 0xffffffffu) return false;
  number = static_cast<std::uint32_t>(value);
  return true;
}

/// Splits off the first word of `text` (up to a blank); `text` keeps the rest.
std::string firstWord(std::string& text) {
  const std::size_t blank = text.find(' ');
  std::string word = text.substr(0, blank);
  text = blank == std::string::npos ? std::string() : text.substr(blank + 1);
  return word;
}

void parseSystemLine(std::string line, RecordedState& state) {
  const std::string keyword = firstWord(line);
  if (keyword == "version") {
    VersionInfo v;
    std::string a = firstWord(line), b = firstWord(line), c = firstWord(line), d = firstWord(line);
    if (line.empty() && parseNumber(a, v.major) && parseNumber(b, v.minor) &&
        parseNumber(c, v.build) && parseNumber(d, v.platformId)) {
      state.hasVersion = true;
      state.version = v;
    }
  } else if (keyword == "windows-directory" && !line.empty()) {
    state.windowsDirectory = line;
  } else if (keyword == "library") {
    // The name may hold blanks: the outcome is the last one or two words.
    RecordedState::Library library;
    if (line.size() > 7 && line.compare(line.size() - 7, 7, " loaded") == 0) {
      library.name = line.substr(0, line.size() - 7);
    } else {
      const std::size_t cut = line.rfind(" error ");
      if (cut == std::string::npos || !parseNumber(line.substr(cut + 7), library.error) ||
          library.error == 0) {
        return;
      }
      library.name = line.substr(0, cut);
    }
    if (!library.name.empty()) state.libraries.push_back(library);
  }
}

}  // namespace

void parseRecordedState(const std::string* environment, const std::string* cwd,
                        const std::string* system, RecordedState& state) {
  state = RecordedState();
  if (environment != nullptr) {
    state.hasEnvironment = true;
    forEachLine(*environment, [&](std::string line) {
      // "\" starts an entry with "\\", "\n" and "\r" escaped.
      if (!line.empty() && line[0] == '\\') line = unescaped(line.substr(1));
      const std::size_t equals = line.find('=', 1);
      if (line.empty() || equals == std::string::npos) return;
      state.environment.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    });
  }
  if (cwd != nullptr) {
    bool first = true;
    forEachLine(*cwd, [&](const std::string& line) {
      const bool drivePath =
          line.size() >= 3 && line[1] == ':' && line[2] == '\\' && hostDriveIndex(line[0]) >= 0;
      if (first) {
        first = false;
        if (drivePath) state.currentDirectory = line;
      } else if (drivePath) {
        state.driveDirectories[hostDriveIndex(line[0])] = line;
      }
    });
  }
  if (system != nullptr) {
    forEachLine(*system, [&](const std::string& line) { parseSystemLine(line, state); });
  }
}

const Machine& Machine::current() {
  static Machine machine;
  const char* value = std::getenv("ZORIVT_MACHINE");
  std::string setting = value ? value : "";
  if (machine.generation_ == 0 || setting != machine.setting_) machine.load(setting);
  return machine;
}

void Machine::load(const std::string& setting) {
  setting_ = setting;
  ++generation_;
  directory_.clear();
  for (std::string& root : driveRoots_) root.clear();
  if (!setting.empty()) {
    directory_ = realPathOf(setting);
    if (directory_.empty()) directory_ = setting;  // a missing machine: no drives but z:
    if (!isHostDirectory(directory_)) {
      warnAboutMachine("ZORIVT_MACHINE names no directory", setting,
                       "no drive but z: and an empty registry");
    }
    for (char l = 'a'; l <= 'z'; ++l) {
      std::string drive = joinHost(directory_, std::string("drive_") + l);
      if (isHostDirectory(drive)) driveRoots_[l - 'a'] = realPathOf(drive);
    }
  }
  if (driveRoots_['z' - 'a'].empty()) driveRoots_['z' - 'a'] = "/";

  std::string texts[3];
  bool present[3] = {false, false, false};
  const char* const names[3] = {"environment", "cwd", "system"};
  for (int i = 0; i < 3 && !directory_.empty(); ++i) {
    present[i] = readMachineText(machineFile(names[i]), texts[i]);
  }
  parseRecordedState(present[0] ? &texts[0] : nullptr, present[1] ? &texts[1] : nullptr,
                     present[2] ? &texts[2] : nullptr, recorded_);
}

std::string Machine::machineFile(const char* name) const {
  if (directory_.empty()) return std::string();
  return joinHost(directory_, name);
}

bool Machine::driveRoot(char letter, std::string& root) const {
  int index = hostDriveIndex(letter);
  if (index < 0 || driveRoots_[index].empty()) return false;
  root = driveRoots_[index];
  return true;
}

std::string Machine::windowsPathOf(const std::string& hostPath) const {
  std::string path = hostPath;
  if (path.empty() || path[0] != '/') {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) != nullptr) path = joinHost(buffer, path);
  }
  std::string real = realPathOf(path);
  if (!real.empty()) path = real;
  for (int i = 0; i < 26; ++i) {
    const std::string& root = driveRoots_[i];
    if (root.empty() || root == "/") continue;
    if (path == root || (path.compare(0, root.size(), root) == 0 && path[root.size()] == '/')) {
      std::string rest = path.substr(root.size());
      std::replace(rest.begin(), rest.end(), '/', '\\');
      if (rest.empty()) rest = "\\";
      return std::string(1, static_cast<char>('a' + i)) + ":" + rest;
    }
  }
  std::string rest = path;
  std::replace(rest.begin(), rest.end(), '/', '\\');
  if (rest.empty() || rest[0] != '\\') rest = "\\" + rest;
  return "z:" + rest;
}

std::string Machine::currentDirectory() const {
  if (!recorded_.currentDirectory.empty()) return recorded_.currentDirectory;
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return windowsPathOf(buffer);
}

std::string Machine::currentDirectoryOfDrive(int drive) const {
  if (drive < 1 || drive > 26) return std::string();
  std::string cwd = currentDirectory();
  char letter = static_cast<char>('a' + drive - 1);
  if (!recorded_.driveDirectories[drive - 1].empty()) return recorded_.driveDirectories[drive - 1];
  if (!cwd.empty() && ascii::lower(cwd[0]) == letter) return cwd;
  if (driveRoots_[drive - 1].empty()) return std::string();
  return std::string(1, letter) + ":\\";
}

bool Machine::resolve(const std::string& windowsPath, std::string& hostPath, bool lastMayBeMissing,
                      std::string* actual) const {
  if (windowsPath.empty()) return false;
  std::string path = windowsPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return false;  // UNC: no network

  char drive;
  std::string rest;
  if (path.size() >= 2 && path[1] == ':' && hostDriveIndex(path[0]) >= 0) {
    drive = ascii::lower(path[0]);
    rest = path.substr(2);
  } else {
    std::string cwd = currentDirectory();
    if (cwd.size() < 2) return false;
    drive = ascii::lower(cwd[0]);
    rest = path;
  }
  if (rest.empty() || rest[0] != '\\') {
    std::string base = currentDirectoryOfDrive(drive - 'a' + 1);
    if (base.size() < 2) return false;
    rest = base.substr(2) + "\\" + rest;
  }

  std::string host;
  if (!driveRoot(drive, host)) return false;
  std::vector<std::string> parts = normalisedComponents(rest);
  std::string spelt = std::string(1, drive) + ":";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (hasWildcard(part)) return false;
    std::string entry = findEntry(host, part);
    if (entry.empty()) {
      if (!(lastMayBeMissing && i + 1 == parts.size())) return false;
      entry = part;
    }
    host = joinHost(host, entry);
    spelt += "\\" + entry;
  }
  hostPath = host;
  if (actual != nullptr) *actual = parts.empty() ? spelt + "\\" : spelt;
  return true;
}

void warnAboutMachine(const char* problem, const std::string& hostPath, const char* consequence) {
  std::string line = "zorivt: machine: ";
  line += problem;
  line += ": ";
  for (char c : hostPath) {
    const unsigned char u = static_cast<unsigned char>(c);
    line += (u < 0x20 || u == 0x7f) ? '?' : c;
  }
  line += "; ";
  line += consequence;
  line += "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

HostOpen openRegularHostFile(const std::string& hostPath, int& descriptor, std::uint64_t* size) {
  descriptor = -1;
  // Without O_NONBLOCK, opening a FIFO would wait for a writer.
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return HostOpen::Missing;
    struct stat st;
    const bool other = ::stat(hostPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
    return other ? HostOpen::NotRegular : HostOpen::Unreadable;
  }
  struct stat st;
  HostOpen result = HostOpen::Opened;
  if (::fstat(fd, &st) != 0) {
    result = HostOpen::Unreadable;
  } else if (!S_ISREG(st.st_mode)) {
    result = HostOpen::NotRegular;
  } else if (st.st_size == 0) {
    // An empty file ends at once; a pseudo-file of the kernel's, listed with
    // size 0, gives bytes (perhaps without end), fails or would block.
    char probe;
    const ssize_t got = ::read(fd, &probe, 1);
    if (got != 0) result = got < 0 && errno != EAGAIN ? HostOpen::Unreadable : HostOpen::NotRegular;
  }
  if (result == HostOpen::Opened) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) result = HostOpen::Unreadable;
  }
  if (result != HostOpen::Opened) {
    ::close(fd);
    return result;
  }
  descriptor = fd;
  if (size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
  return result;
}

std::FILE* openRegularHostStream(const std::string& hostPath) {
  int fd = -1;
  if (openRegularHostFile(hostPath, fd) != HostOpen::Opened) return nullptr;
  std::FILE* stream = ::fdopen(fd, "rb");
  if (stream == nullptr) ::close(fd);
  return stream;
}

bool matchSearchPattern(const std::string& name, const std::string& pattern) {
  return ascii::matchWildcard(ascii::uppered(name).c_str(), ascii::uppered(pattern).c_str());
}

}  // namespace platform::posix
