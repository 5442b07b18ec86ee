// POSIX backend only: a file mapped into memory for reading (the machine's
// registry.reg), its bytes read where the system caches them, without a
// copy. A file that cannot be mapped (an empty one, one too large for the
// address space, a mapping the system refuses) is to be read instead.
#pragma once

#include <cstddef>
#include <string>

namespace platform::posix {

/// One file mapped whole for reading. Moves but does not copy; unmaps on
/// destruction.
class MappedFile {
 public:
  enum class Opened {
    Mapped,      ///< bytes() holds the file
    NotMapped,   ///< a regular file that can be read, but not mapped: read it with File
    Missing,     ///< no such file
    NotRegular,  ///< not a regular file (never read: it could block or never end)
    Unreadable,  ///< cannot be opened or examined
  };

  MappedFile() = default;
  ~MappedFile() { close(); }
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  /// Maps the regular file at the host path `hostPath`.
  Opened openHost(const std::string& hostPath);
  void close();

  /// The file's bytes while it is mapped; null otherwise.
  const unsigned char* bytes() const { return bytes_; }
  std::size_t size() const { return size_; }

  /// The bytes before `offset` will not be read again: their pages leave
  /// the program's memory (the system keeps the file's cache), so that
  /// reading a large file front to back holds only the part being read.
  void release(std::size_t offset);

  /// While it lives, a fault in reading the mapping of `file` (the file was
  /// shortened since it was mapped, or its pages cannot be read) does not
  /// stop the program: from the page of the fault to the end of the mapping
  /// the bytes read as zeros, and faulted() says so. The caller then treats
  /// the file as cut short by a read error. One guard at a time, on the
  /// thread that reads; the handler it needs is installed only while it
  /// lives, the one before it restored after.
  class Guard {
   public:
    explicit Guard(const MappedFile& file);
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    bool faulted() const;

   private:
    bool installed_ = false;
  };

 private:
  const unsigned char* bytes_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace platform::posix
