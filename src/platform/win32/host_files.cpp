// Win32 backend only: files for writing a snapshot, and the actual spelling
// of the machine's paths. The machine's files are the host's here.
#include "platform/host_files.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/host.h"

namespace platform {
namespace {

std::string fullPath(const std::string& path) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    char* filePart = nullptr;
    const DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), &filePart);
    if (length == 0) return std::string();
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(length + 1);
  }
  return std::string();
}

HANDLE createNew(const std::string& hostPath) {
  return CreateFileA(hostPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

bool writeAll(HANDLE file, const char* bytes, std::size_t count) {
  while (count > 0) {
    const DWORD chunk = count > 0x100000 ? 0x100000 : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    count -= written;
  }
  return true;
}

}  // namespace

HostFolderState hostFolderState(const std::string& hostPath) {
  const DWORD attributes = GetFileAttributesA(hostPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? HostFolderState::Missing
               : HostFolderState::NotFolder;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return HostFolderState::NotFolder;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(hostChildPath(hostPath, "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return HostFolderState::NotFolder;
  HostFolderState state = HostFolderState::Empty;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") {
      state = HostFolderState::NotEmpty;
      break;
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return state;
}

bool createHostFolder(const std::string& hostPath) {
  if (CreateDirectoryA(hostPath.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesA(hostPath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string hostChildPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + "\\" + name;
}

bool writeNewHostFile(const std::string& hostPath, const std::string& bytes) {
  HANDLE file = createNew(hostPath);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = writeAll(file, bytes.data(), bytes.size());
  return CloseHandle(file) && written;
}

bool createHostPlaceholder(const std::string& hostPath, std::uint64_t size, bool) {
  HANDLE file = createNew(hostPath);
  if (file == INVALID_HANDLE_VALUE) return false;
  LONG high = static_cast<LONG>(size >> 32);
  const DWORD low = SetFilePointer(file, static_cast<LONG>(size & 0xffffffffu), &high, FILE_BEGIN);
  const bool sized =
      !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) && SetEndOfFile(file);
  return CloseHandle(file) && sized;
}

bool copyMachineFileToHost(const std::string& machinePath, const std::string& hostPath,
                           std::uint64_t& size, std::string& reason) {
  size = 0;
  File source;
  if (!source.open(machinePath, File::Access::Read, File::Kind::Binary)) {
    reason = "cannot be read";
    return false;
  }
  HANDLE file = createNew(hostPath);
  if (file == INVALID_HANDLE_VALUE) {
    reason = "cannot be written";
    return false;
  }
  std::vector<char> buffer(65536);
  bool written = true;
  for (std::size_t n; written && (n = source.read(buffer.data(), buffer.size())) > 0;) {
    written = writeAll(file, buffer.data(), n);
    size += n;
  }
  if (!written) reason = "cannot be written";
  if (written && source.failed()) {
    written = false;
    reason = "cannot be read to its end";
  }
  return CloseHandle(file) && written;
}

bool machineFileSize(const std::string& machinePath, std::uint64_t& size) {
  return host::fileSize(machinePath, size);
}

std::string actualMachinePath(const std::string& machinePath) {
  if (machinePath.find_first_of("*?") != std::string::npos) return std::string();
  const std::string full = fullPath(machinePath);
  // A path on a drive ("C:\..."); network paths are not taken.
  if (full.size() < 3 || full[1] != ':' || full[2] != '\\') return std::string();
  std::string result(1, ascii::lower(full[0]));
  result += ":";
  std::size_t start = 3;
  while (start < full.size()) {
    std::size_t end = full.find('\\', start);
    if (end == std::string::npos) end = full.size();
    if (end > start) {
      const std::string prefix = result + "\\" + full.substr(start, end - start);
      WIN32_FIND_DATAA data;
      HANDLE search = FindFirstFileA(prefix.c_str(), &data);
      if (search == INVALID_HANDLE_VALUE) return std::string();
      FindClose(search);
      result += "\\";
      result += data.cFileName;
    }
    start = end + 1;
  }
  if (result.size() == 2) result += "\\";
  return result;
}

std::string machinePathOfHostFolder(const std::string& hostPath) {
  return fullPath(hostPath);
}

}  // namespace platform
