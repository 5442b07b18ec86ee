// Portable interface to the one-step replacement of a file that others may
// update at the same time: an update lock, a replacement created beside the
// file under a name nobody else uses, and the move that puts it in place.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace platform {

/// One update of one file. The steps are lock(), create(), the caller's
/// writes and close of the replacement, commit(); finish() (also run by the
/// destructor) ends the update on every path.
///
/// From lock() to finish() an interrupt (Ctrl+C, a closed console or
/// terminal, a request to terminate) does not end the process at once: it
/// is noted, the update is given up at its next step, the replacement is
/// removed, and finish() then ends the process as the interrupt would have.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement() { finish(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  /// Waits until no other update of the file at `path` (a Windows path) is
  /// under way and keeps others out until finish(). A file reached through
  /// a symbolic link is its target: the link stays. False when the file
  /// cannot be locked or an interrupt came first.
  bool lock(const std::string& path);

  /// Creates the replacement in the file's directory under a name no other
  /// file has, never opening an existing file or following a link, with the
  /// old file's permissions and, where this process may set it, its owner;
  /// opens `output` on it for writing in binary mode.
  bool create(File& output);

  /// The replacement's name without its directory; empty before create().
  const std::string& replacementName() const { return replacementName_; }

  /// Puts the closed replacement in the old file's place in one step: at
  /// every moment either the old file or the complete new one is there.
  /// False when it could not be done or an interrupt came first; the old
  /// file is then unchanged.
  bool commit();

  /// Removes the replacement unless it was committed and lets other updates
  /// go on; then ends the process when an interrupt came during the update.
  void finish();

  /// Whether an interrupt has come since lock().
  static bool interrupted();

 private:
  bool locked_ = false;
  bool created_ = false;
  bool committed_ = false;
  std::string target_;       // the file itself (a link's target), as the backend names it
  std::string replacement_;  // the replacement, likewise
  std::string replacementName_;
  std::intptr_t lockHandle_ = -1;  // the backend's handle of the lock
};

}  // namespace platform
