// Operations on Windows path names and on the file system that every part of
// the checker shares. Paths are 8-bit texts with backslash separators and an
// optional drive prefix; nearly every result is in lower case, since paths
// are compared and reported in lower case. Positions are 1-based. Nothing
// here reports: failures show in the results.
#pragma once

#include "driver/str.h"
#include "platform/file_system.h"

/// The path exists and is a regular file.
bool isFile(const Str& path);
/// normaliseDirectory(path) exists and is a directory ("c:\dir\" and "c:\"
/// both qualify).
bool isDirectory(const Str& path);
/// A file or directory that the running user may read.
bool isAccessible(const Str& path);

/// Position just after the last backslash; without one, 3 when the path
/// begins with a drive ("c:name"), else 1.
std::size_t nameStart(const Str& path);
/// Position of the last "." in the text, 0 when there is none.
std::size_t lastDot(const Str& text);
/// The text from nameStart on, lower case.
Str fileNamePart(const Str& path);
/// Of the file name: empty without a dot, "." when it ends in the dot, else
/// the text after the last dot; lower case.
Str extensionOf(const Str& path);
/// The file name without its last dot and what follows; lower case.
Str baseNameOf(const Str& path);
/// The directory before the file name ("c:" for "c:name"); empty when the
/// path has no directory part; lower case.
Str parentDirectory(const Str& path);
/// Drops one final backslash unless that would change a root ("c:\").
Str normaliseDirectory(const Str& path);

/// `dir` and `name` joined by exactly one backslash; lower case.
Str joinPath(const Str& dir, const Str& name);
/// Two ";"-separated lists joined by exactly one ";"; lower case.
Str joinPathList(const Str& first, const Str& second);

/// The process's current directory, lower case; empty when there is none.
Str currentDirectory();
/// The current directory of a drive given as "x:"; the process's own when it
/// is the current drive; lower case.
Str currentDirectoryOfDrive(const Str& drive);
/// The path made absolute against the current directories, with whole ".."
/// components climbing one directory each; lower case.
Str absolutePath(const Str& path);

/// The first directory of the ";"-separated list that holds `name` as a
/// regular file: the full path goes to `out`. False (out unchanged) when
/// none does.
bool findInPathList(const Str& name, const Str& list, Str& out);

/// The name in lower case, with ".dll" appended when it has no extension.
Str libraryFileName(const Str& name);

/// Enumerates the regular files of one directory whose lower-case names match
/// a wildcard pattern, as full lower-case paths.
class DirectoryScanner {
 public:
  /// An empty directory means the current one (".").
  DirectoryScanner(const Str& directory, const Str& pattern);

  bool firstFile(Str& out);
  bool nextFile(Str& out);

 private:
  bool accept(const std::string& name, Str& out) const;

  Str directory_;
  Str pattern_;
  platform::DirectorySearch search_;
  bool searching_ = false;
};
