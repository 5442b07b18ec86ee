// Operations on an open file, common to both backends; the backends supply
// the opening and seeking.
#include "platform/file.h"

#include <utility>

namespace platform {
namespace detail {
std::FILE* openFile(const std::string& path, File::Access access, File::Kind kind);
bool seekFile(std::FILE* handle, std::int64_t offset);
}  // namespace detail

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

bool File::open(const std::string& path, Access access, Kind kind) {
  close();
  handle_ = detail::openFile(path, access, kind);
  return handle_ != nullptr;
}

std::size_t File::read(char* buffer, std::size_t count) {
  if (handle_ == nullptr) return 0;
  return std::fread(buffer, 1, count, handle_);
}

bool File::readLine(std::string& line) {
  line.clear();
  if (handle_ == nullptr) return false;
  int c = std::getc(handle_);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    line += static_cast<char>(c);
    c = std::getc(handle_);
  }
  return true;
}

bool File::write(const char* bytes, std::size_t count) {
  if (handle_ == nullptr) return false;
  return std::fwrite(bytes, 1, count, handle_) == count;
}

bool File::failed() const { return handle_ != nullptr && std::ferror(handle_) != 0; }

bool File::flush() { return handle_ != nullptr && std::fflush(handle_) == 0; }

bool File::seekRelative(std::int64_t offset) {
  return handle_ != nullptr && detail::seekFile(handle_, offset);
}

bool File::close() {
  if (handle_ == nullptr) return true;
  bool ok = std::fclose(handle_) == 0;
  handle_ = nullptr;
  return ok;
}

}  // namespace platform
