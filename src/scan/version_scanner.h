// The -s utility: finds the files that match a list of masks and reports,
// for each, the identification text that follows a version marker in its
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "config/path_utils.h"
#include "driver/report_log.h"
#include "driver/str.h"

/// The checker's own identification text, in the form a scan reports: a scan
/// that reaches the checker's executable shows the text after its "@(#)".
extern const char CheckerIdentification[];

/// Enumerates the files to scan. For each mask of a ";"-separated list, in
/// list order: a mask with a directory ("c:\bin\zor*.exe") walks that
/// directory; a mask without one walks each directory of the default list in
/// order (the current directory when the list is empty). Within a directory
/// the files come in the order the platform lists them. Names and masks are
/// compared in lower case; a mask ending in "." ("zor*.") takes only names
/// without an extension. A file that matches several masks comes once per
/// mask; a directory that does not exist yields nothing.
class VersionFileWalker {
 public:
  VersionFileWalker(const Str& defaultPath, const Str& masks);

  /// The first / next file as the directory joined with the file name, in
  /// lower case ("c:\prod\zorpisrv.exe", or ".\zorpisrv.exe" for the current
  /// directory). False when the walk is over; it stays over.
  bool firstFile(Str& path);
  bool nextFile(Str& path);

 private:
  /// Moves to the next directory of the current mask, or to the next mask;
  /// false when no mask is left.
  bool advance();
  bool accepted(const Str& path) const;

  Str defaultPath_;
  Tokenizer directories_;
  Str include_;
  Str exclude_;
  Tokenizer masks_;
  std::unique_ptr<DirectoryScanner> scanner_;
};

/// The scan reads each file front to back in blocks of this size.
constexpr std::size_t VersionScanBlockSize = 128 * 1024;

/// Searches the file for the first occurrence of `marker` (not empty) and
/// returns the longest run of printable characters (as the C locale's
/// isprint classifies them) of at most 128 bytes from there on, so the result
/// begins with the marker itself. Empty when the file does not hold the
/// marker or cannot be opened; a file that cannot be opened, or is not a
/// regular file (which is never read), writes the debug line "Scanner:
/// Cannot open file <path>".
Str searchMarker(ReportLog& log, const Str& path, const Str& marker);

/// Scans every file of the walk over `masks` and `defaultPath` (see
/// VersionFileWalker) for a version marker and reports per file a
/// "CHK0066I: Scanning ..." line, then either "CHK0068I: -> <text>" or
/// "CHK0069I: No version information found in <name>.". The marker that found
/// a text in one file is tried first in the next one. Returns the number of
/// files visited, counting those that could not be read; 0 when no file
/// matched (the caller reports that).
std::int32_t scanVersionStrings(ReportLog& log, const Str& defaultPath, const Str& masks);
