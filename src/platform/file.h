// Portable interface to files: the stdio calls of the Windows C runtime
// (fopen, fread, fwrite, fseek, fclose) on Windows paths. On POSIX hosts the
// path is resolved on the emulated machine first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

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
  /// Moves the position by `offset` bytes from the current one.
  bool seekRelative(std::int64_t offset);
  /// Closes the file; false when buffered data could not be written.
  bool close();

 private:
  std::FILE* handle_ = nullptr;
};

}  // namespace platform
