// Win32 backend only: files and directories through the Windows C runtime
// and the Win32 file functions.
#include "platform/file_system.h"

#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/file.h"
#include "platform/host.h"

namespace platform {
namespace host {

bool fileMode(const std::string& path, unsigned& mode) {
  struct _stat st;
  if (_stat(path.c_str(), &st) != 0) return false;
  mode = static_cast<unsigned>(st.st_mode);
  return true;
}

bool isReadable(const std::string& path) {
  return _access(path.c_str(), 4) == 0;
}

std::string currentDirectory() {
  // A directory longer than MAX_PATH is possible on current Windows: the
  // system tells the room it needs (its NUL included), and the directory may
  // change between the calls, hence a few attempts.
  std::string buffer(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), &buffer[0]);
    if (length == 0) return std::string();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.assign(length, '\0');
  }
  return std::string();
}

std::string currentDirectoryOfDrive(int drive) {
  // _getdcwd tells no size: the buffer doubles while it is too small, up to
  // the longest path Windows has.
  for (std::size_t size = MAX_PATH; size <= 65536; size *= 2) {
    std::string buffer(size, '\0');
    errno = 0;
    if (_getdcwd(drive, &buffer[0], static_cast<int>(size)) != nullptr) {
      buffer.resize(buffer.find('\0'));
      return buffer;
    }
    if (errno != ERANGE) break;
  }
  return std::string();
}

struct DirectorySearch::State {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() {
  close();
}
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
  if (handle == INVALID_HANDLE_VALUE) {
    denied_ = GetLastError() == ERROR_ACCESS_DENIED;
    return false;
  }
  denied_ = false;
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

bool fileSize(const std::string& path, std::uint64_t& size) {
  WIN32_FIND_DATAA data;
  HANDLE handle = FindFirstFileA(path.c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FindClose(handle);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

}  // namespace host

namespace detail {

std::FILE* openFile(const std::string& path, File::Access access, File::Kind kind) {
  const bool text = kind == File::Kind::Text;
  const char* mode = access == File::Access::Write ? (text ? "w" : "wb") : (text ? "r" : "rb");
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr || access == File::Access::Write) return file;
  // Only files on a disk are read: a device (CON, a COM port) or a pipe
  // could keep a read waiting for ever.
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

bool seekFile(std::FILE* handle, std::int64_t offset) {
  // A 64-bit move through fgetpos and fsetpos, whose position is the file's
  // 64-bit byte offset in Windows' C runtime: _fseeki64 is not in NT 4.0's,
  // and MinGW's stand-in for it needs _filelengthi64, which may not be
  // either.
  fpos_t position;
  if (std::fgetpos(handle, &position) != 0) return false;
  const std::int64_t target = static_cast<std::int64_t>(position) + offset;
  if (target < 0) return false;
  position = static_cast<fpos_t>(target);
  return std::fsetpos(handle, &position) == 0;
}

}  // namespace detail
}  // namespace platform
