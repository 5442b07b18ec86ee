// Portable interface to files: the stdio calls of the Windows C runtime
// (fopen, fread, fwrite, fseek, fclose) on Windows paths. On POSIX hosts the
// path is resolved on the emulated machine first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

/// One open file. Moves but does not copy; closes on destruction.
class File {
 public:
  enum class Access { Read, Write };
  /// Text mode translates line ends on Windows; elsewhere it is the same as
  /// binary mode.
  enum class Kind { Text, Binary };

  File() = default;
  ~File() { close(); }
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  /// Opens `path` for reading, or for writing (created, or truncated when it
  /// exists). False when it cannot be opened.
  bool open(const std::string& path, Access access, Kind kind);
  bool isOpen() const { return handle_ != nullptr; }

  /// From now until the file is closed, reads come from a buffer of `size`
  /// bytes that the file keeps itself, refilled with one large read each time
  /// it runs out. A move of the position that stays within the buffered bytes
  /// (also a short way back, as the buffer keeps some bytes already read) then
  /// costs no call into the C runtime, whose own seek may discard its buffer.
  /// For files opened for reading; moves of the position only in binary
  /// mode (text mode on Windows counts bytes differently). A `size` of 0 is
  /// ignored.
  void bufferReads(std::size_t size);

  /// Reads up to `count` bytes; fewer at the end of the file or on an error.
  std::size_t read(char* buffer, std::size_t count);
  /// Reads one line without its line feed. False at the end of the file when
  /// nothing was read. Lines of any length are read whole.
  bool readLine(std::string& line);
  /// True when every byte was written.
  bool write(const char* bytes, std::size_t count);
  bool write(const std::string& text) { return write(text.data(), text.size()); }
  bool flush();
  /// True once a read or write of this file has failed (not merely reached
  /// the end of the file).
  bool failed() const;
  /// Moves the position by `offset` bytes from the current one. False when
  /// the C runtime refuses the move (before the start of the file); where
  /// the position is then depends on the C runtime.
  bool seekRelative(std::int64_t offset);
  /// Closes the file; false when buffered data could not be written.
  bool close();

  /// The system's reason for the last failed write, flush or close, as a
  /// text; empty when none failed.
  const std::string& failureReason() const { return failureReason_; }

 private:
  friend class FileReplacement;
  bool fail(bool injected);

  bool refillReadBuffer();
  int readChar();

  std::FILE* handle_ = nullptr;
  // Read buffer of bufferReads: bytes [0, readEnd_) mirror the file up to the
  // C runtime's position, readNext_ is the file's logical position in it.
  std::vector<char> readBuffer_;
  std::size_t readNext_ = 0;
  std::size_t readEnd_ = 0;
  std::string failureReason_;
};

}  // namespace platform
