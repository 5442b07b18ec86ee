// Win32 backend only: files and directories through the Windows C runtime
// and the Win32 file functions.
#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

#include "platform/file.h"
#include "platform/file_system.h"

namespace platform {

bool fileMode(const std::string& path, unsigned& mode) {
  struct _stat st;
  if (_stat(path.c_str(), &st) != 0) return false;
  mode = static_cast<unsigned>(st.st_mode);
  return true;
}

bool isReadable(const std::string& path) { return _access(path.c_str(), 4) == 0; }

std::string currentDirectory() {
  char buffer[MAX_PATH];
  if (_getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return buffer;
}

std::string currentDirectoryOfDrive(int drive) {
  char buffer[MAX_PATH];
  if (_getdcwd(drive, buffer, sizeof buffer) == nullptr) return std::string();
  return buffer;
}

struct DirectorySearch::State {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() { close(); }
DirectorySearch::DirectorySearch(DirectorySearch&&) noexcept = default;
DirectorySearch& DirectorySearch::operator=(DirectorySearch&& other) noexcept {
  if (this != &other) {
    close();
    state_ = std::move(other.state_);
  }
  return *this;
}

bool DirectorySearch::first(const std::string& pattern, std::string& name) {
  close();
  WIN32_FIND_DATAA data;
  HANDLE handle = FindFirstFileA(pattern.c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return false;
  state_ = std::make_unique<State>();
  state_->handle = handle;
  name = data.cFileName;
  return true;
}

bool DirectorySearch::next(std::string& name) {
  if (!state_) return false;
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(state_->handle, &data)) return false;
  name = data.cFileName;
  return true;
}

void DirectorySearch::close() {
  if (state_ && state_->handle != INVALID_HANDLE_VALUE) FindClose(state_->handle);
  state_.reset();
}

namespace detail {

std::FILE* openFile(const std::string& path, File::Access access, File::Kind kind) {
  const bool text = kind == File::Kind::Text;
  const char* mode = access == File::Access::Write ? (text ? "w" : "wb") : (text ? "r" : "rb");
  return std::fopen(path.c_str(), mode);
}

bool seekFile(std::FILE* handle, std::int64_t offset) {
  return _fseeki64(handle, offset, SEEK_CUR) == 0;
}

}  // namespace detail
}  // namespace platform
