// Operations on an open file, common to both backends; the backends supply
// the opening and seeking.
#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/access_recorder.h"
#include "platform/fault_injection.h"

namespace platform {
namespace detail {
std::FILE* openFile(const std::string& path, File::Access access, File::Kind kind);
bool seekFile(std::FILE* handle, std::int64_t offset);
}  // namespace detail

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      readBuffer_(std::move(other.readBuffer_)),
      readNext_(std::exchange(other.readNext_, 0)),
      readEnd_(std::exchange(other.readEnd_, 0)),
      failureReason_(std::move(other.failureReason_)) {
  other.readBuffer_.clear();
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
    readBuffer_ = std::move(other.readBuffer_);
    other.readBuffer_.clear();
    readNext_ = std::exchange(other.readNext_, 0);
    readEnd_ = std::exchange(other.readEnd_, 0);
    failureReason_ = std::move(other.failureReason_);
  }
  return *this;
}

bool File::open(const std::string& path, Access access, Kind kind) {
  close();
  failureReason_.clear();
  if (faultinjection::fileOperationFails()) return false;
  handle_ = detail::openFile(path, access, kind);
  if (access == Access::Read) recordFileOpened(path, handle_ != nullptr);
  return handle_ != nullptr;
}

void File::bufferReads(std::size_t size) {
  if (handle_ == nullptr || size == 0 || !readBuffer_.empty()) return;
  readBuffer_.resize(size);
  readNext_ = readEnd_ = 0;
}

// Keeps up to an eighth of the buffer of the bytes before the position, so
// that a reader stepping back a little after a refill stays in the buffer.
bool File::refillReadBuffer() {
  const std::size_t keep = std::min(readNext_, readBuffer_.size() / 8);
  std::memmove(readBuffer_.data(), readBuffer_.data() + readNext_ - keep, keep);
  readNext_ = readEnd_ = keep;
  readEnd_ += std::fread(readBuffer_.data() + keep, 1, readBuffer_.size() - keep, handle_);
  return readEnd_ > readNext_;
}

std::size_t File::read(char* buffer, std::size_t count) {
  if (handle_ == nullptr) return 0;
  if (readBuffer_.empty()) return std::fread(buffer, 1, count, handle_);
  std::size_t done = 0;
  while (done < count) {
    if (readNext_ == readEnd_ && !refillReadBuffer()) break;
    const std::size_t n = std::min(count - done, readEnd_ - readNext_);
    std::memcpy(buffer + done, readBuffer_.data() + readNext_, n);
    readNext_ += n;
    done += n;
  }
  return done;
}

int File::readChar() {
  if (readBuffer_.empty()) return std::getc(handle_);
  if (readNext_ == readEnd_ && !refillReadBuffer()) return EOF;
  return static_cast<unsigned char>(readBuffer_[readNext_++]);
}

bool File::readLine(std::string& line) {
  line.clear();
  if (handle_ == nullptr) return false;
  if (!readBuffer_.empty()) {
    // Whole runs of the buffer at a time, up to the line feed.
    bool any = false;
    for (;;) {
      if (readNext_ == readEnd_ && !refillReadBuffer()) return any;
      any = true;
      const char* start = readBuffer_.data() + readNext_;
      const std::size_t available = readEnd_ - readNext_;
      const void* feed = std::memchr(start, '\n', available);
      const std::size_t n = feed == nullptr
                                ? available
                                : static_cast<std::size_t>(static_cast<const char*>(feed) - start);
      line.append(start, n);
      readNext_ += n;
      if (feed != nullptr) {
        ++readNext_;
        return true;
      }
    }
  }
  int c = readChar();
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    line += static_cast<char>(c);
    c = readChar();
  }
  return true;
}

bool File::fail(bool injected) {
  failureReason_ = std::strerror(injected ? EIO : errno);
  return false;
}

bool File::write(const char* bytes, std::size_t count) {
  if (handle_ == nullptr) return false;
  if (faultinjection::fileOperationFails()) return fail(true);
  errno = 0;
  if (std::fwrite(bytes, 1, count, handle_) == count) return true;
  return fail(errno == 0);
}

bool File::failed() const {
  return handle_ != nullptr && std::ferror(handle_) != 0;
}

bool File::flush() {
  if (handle_ == nullptr) return false;
  if (faultinjection::fileOperationFails()) return fail(true);
  errno = 0;
  return std::fflush(handle_) == 0 || fail(errno == 0);
}

bool File::seekRelative(std::int64_t offset) {
  if (handle_ == nullptr) return false;
  if (readBuffer_.empty()) return detail::seekFile(handle_, offset);
  const std::int64_t target = static_cast<std::int64_t>(readNext_) + offset;
  if (target >= 0 && target <= static_cast<std::int64_t>(readEnd_)) {
    readNext_ = static_cast<std::size_t>(target);
    return true;
  }
  // The C runtime's position is at the end of the buffered bytes.
  const std::int64_t unread = static_cast<std::int64_t>(readEnd_ - readNext_);
  if (!detail::seekFile(handle_, offset - unread)) return false;
  readNext_ = readEnd_ = 0;
  return true;
}

bool File::close() {
  readBuffer_.clear();
  readBuffer_.shrink_to_fit();
  readNext_ = readEnd_ = 0;
  if (handle_ == nullptr) return true;
  const bool injected = faultinjection::fileOperationFails();
  errno = 0;
  const bool closed = std::fclose(handle_) == 0;
  handle_ = nullptr;
  if (!closed) return fail(errno == 0);
  return !injected || fail(true);
}

}  // namespace platform
