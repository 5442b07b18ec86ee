// POSIX backend only: files and directories of the emulated machine.
#include "platform/file_system.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/host.h"
#include "platform/posix/machine.h"

namespace platform {
namespace {

/// Like the Windows C runtime, `_stat` refuses a path that ends in a
/// separator unless it is a root ("c:\", "\").
bool hasRefusedTrailingSeparator(const std::string& path) {
  if (path.empty()) return false;
  char last = path.back();
  if (last != '\\' && last != '/') return false;
  if (path.size() == 1) return false;
  if (path.size() == 3 && path[1] == ':') return false;
  return true;
}

bool resolveExisting(const std::string& path, std::string& host) {
  return posix::Machine::current().resolve(path, host, false);
}

}  // namespace

namespace host {

bool fileMode(const std::string& path, unsigned& mode) {
  if (hasRefusedTrailingSeparator(path)) return false;
  std::string host;
  if (!resolveExisting(path, host)) return false;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return false;
  mode = 0;
  if (S_ISREG(st.st_mode)) mode |= ModeRegularFile;
  if (S_ISDIR(st.st_mode)) mode |= ModeDirectory;
  if (st.st_mode & S_IRUSR) mode |= 0x0100;
  if (st.st_mode & S_IWUSR) mode |= 0x0080;
  return true;
}

bool isReadable(const std::string& path) {
  std::string host;
  if (!resolveExisting(path, host)) return false;
  return ::access(host.c_str(), R_OK) == 0;
}

std::string currentDirectory() {
  return posix::Machine::current().currentDirectory();
}

std::string currentDirectoryOfDrive(int drive) {
  return posix::Machine::current().currentDirectoryOfDrive(drive);
}

struct DirectorySearch::State {
  std::vector<std::string> names;
  std::size_t next = 0;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() = default;
DirectorySearch::DirectorySearch(DirectorySearch&&) noexcept = default;
DirectorySearch& DirectorySearch::operator=(DirectorySearch&&) noexcept = default;

bool DirectorySearch::first(const std::string& pattern, std::string& name) {
  close();
  denied_ = false;
  std::string windows = pattern;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  std::size_t cut = windows.find_last_of('\\');
  std::string directory, mask;
  if (cut == std::string::npos) {
    if (windows.size() >= 2 && windows[1] == ':') {
      directory = windows.substr(0, 2);
      mask = windows.substr(2);
    } else {
      directory = ".";
      mask = windows;
    }
  } else {
    directory = windows.substr(0, cut + 1);
    mask = windows.substr(cut + 1);
  }
  if (mask.empty()) return false;

  std::string host;
  if (!resolveExisting(directory, host)) return false;
  DIR* d = ::opendir(host.c_str());
  if (d == nullptr) {
    denied_ = errno == EACCES || errno == EPERM;
    return false;
  }
  std::vector<std::string> entries;
  while (struct dirent* e = ::readdir(d)) {
    std::string entry(e->d_name);
    if (entry == "." || entry == "..") continue;
    entries.push_back(entry);
  }
  ::closedir(d);
  // NTFS order: names compared with their ASCII letters in upper case;
  // names equal that way keep their host byte order.
  std::sort(entries.begin(), entries.end());
  std::stable_sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return ascii::uppered(a) < ascii::uppered(b);
  });

  auto state = std::make_unique<State>();
  for (const char* dot : {".", ".."}) {
    if (posix::matchSearchPattern(dot, mask)) state->names.push_back(dot);
  }
  for (const std::string& entry : entries) {
    if (posix::matchSearchPattern(entry, mask)) state->names.push_back(entry);
  }
  if (state->names.empty()) return false;
  state_ = std::move(state);
  return next(name);
}

bool DirectorySearch::next(std::string& name) {
  if (!state_ || state_->next >= state_->names.size()) return false;
  name = state_->names[state_->next++];
  return true;
}

void DirectorySearch::close() {
  state_.reset();
}

bool fileSize(const std::string& path, std::uint64_t& size) {
  std::string host;
  struct stat st;
  if (!resolveExisting(path, host) || ::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

}  // namespace host

namespace detail {

std::FILE* openFile(const std::string& path, File::Access access, File::Kind) {
  std::string host;
  const bool writing = access == File::Access::Write;
  if (!posix::Machine::current().resolve(path, host, writing)) return nullptr;
  // Text and binary modes are the same on this host: bytes pass unchanged.
  if (!writing) return posix::openRegularHostStream(host);
  struct stat st;
  if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  return std::fopen(host.c_str(), "wb");
}

bool seekFile(std::FILE* handle, std::int64_t offset) {
  return ::fseeko(handle, static_cast<off_t>(offset), SEEK_CUR) == 0;
}

}  // namespace detail
}  // namespace platform
