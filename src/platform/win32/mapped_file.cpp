// Windows backend only: files mapped with CreateFileMappingA and
// MapViewOfFile (both in Windows NT 4.0). While a view of a file is mapped,
// Windows refuses to shorten the file, so the bytes of a view stay.
#include "platform/mapped_file.h"

#include <windows.h>

#include "platform/fault_injection.h"

namespace platform {

MappedFile::Opened MappedFile::openMapping(const std::string& path) {
  close();
  if (faultinjection::fileOperationFails()) return Opened::Unreadable;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Opened::Missing
                                                                          : Opened::Unreadable;
  }
  // Only files on a disk: a device or a pipe could keep a read waiting.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return Opened::NotRegular;
  }
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    CloseHandle(file);
    return Opened::Unreadable;
  }
  // An empty file cannot be mapped; one of 2 GB or more does not fit the
  // address space of this 32-bit program.
  if (high != 0 || low == 0 || low > 0x7FFFFFFFu) {
    CloseHandle(file);
    return Opened::NotMapped;
  }
  const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  CloseHandle(file);  // the mapping keeps the file
  if (mapping == nullptr) return Opened::NotMapped;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) {
    CloseHandle(mapping);
    return Opened::NotMapped;
  }
  bytes_ = static_cast<const unsigned char*>(view);
  size_ = low;
  mapping_ = mapping;
  return Opened::Mapped;
}

void MappedFile::close() {
  if (bytes_ != nullptr) UnmapViewOfFile(const_cast<unsigned char*>(bytes_));
  if (mapping_ != nullptr) CloseHandle(static_cast<HANDLE>(mapping_));
  bytes_ = nullptr;
  size_ = 0;
  mapping_ = nullptr;
}

// The pages of a view are the file's cache, which Windows trims from the
// working set by itself.
void MappedFile::release(std::size_t) {}

// A view whose pages cannot be read raises an exception that only a
// structured exception handler could catch, which this compiler does not
// offer: the guard cannot protect it.
bool MappedFile::guardsFaults() {
  return false;
}

MappedFile::Guard::Guard(const MappedFile&) {}

MappedFile::Guard::~Guard() {}

bool MappedFile::Guard::faulted() const {
  return false;
}

}  // namespace platform
