#include "config/path_utils.h"

bool isFile(const Str& path) {
  unsigned mode = 0;
  return platform::fileMode(path.str(), mode) && (mode & platform::ModeRegularFile) != 0;
}

bool isDirectory(const Str& path) {
  unsigned mode = 0;
  return platform::fileMode(normaliseDirectory(path).str(), mode) &&
         (mode & platform::ModeDirectory) != 0;
}

bool isAccessible(const Str& path) {
  return (isFile(path) || isDirectory(path)) && platform::isReadable(path.str());
}

std::size_t nameStart(const Str& path) {
  std::size_t slash = path.findLast('\\');
  if (slash != 0) return slash + 1;
  return path.find(':') == 2 ? 3 : 1;
}

std::size_t lastDot(const Str& text) {
  return text.findLast('.');
}

Str fileNamePart(const Str& path) {
  std::size_t start = nameStart(path);
  if (start > path.length()) return Str();
  return path.mid(start).toLower();
}

Str extensionOf(const Str& path) {
  Str name = fileNamePart(path);
  std::size_t dot = lastDot(name);
  if (dot == 0) return Str();
  if (dot == name.length()) return Str(".");
  return name.mid(dot + 1);
}

Str baseNameOf(const Str& path) {
  Str name = fileNamePart(path);
  std::size_t dot = lastDot(name);
  if (dot == 0) return name;
  return dot == 1 ? Str() : name.mid(1, dot - 1);
}

Str parentDirectory(const Str& path) {
  std::size_t start = nameStart(path);
  if (start <= 1) return Str();
  return normaliseDirectory(path.mid(1, start - 1)).toLower();
}

Str normaliseDirectory(const Str& path) {
  const std::size_t n = path.length();
  if (n >= 2 && path.endsWith('\\') && path.at(n - 1) != ':') return path.mid(1, n - 1);
  return path;
}

Str joinPath(const Str& dir, const Str& name) {
  return Str::joinWith(dir, name, '\\').toLower();
}

Str joinPathList(const Str& first, const Str& second) {
  return Str::joinWith(first, second, ';').toLower();
}

Str currentDirectory() {
  return Str(platform::currentDirectory()).toLower();
}

Str currentDirectoryOfDrive(const Str& drive) {
  Str current = currentDirectory();
  if (equalsIgnoringCase(drive, current.mid(1, 2))) return current;
  char letter = drive.at(1);
  letter = platform::ascii::upper(letter);
  if (letter < 'A' || letter > 'Z') return Str();
  return Str(platform::currentDirectoryOfDrive(letter - 'A' + 1)).toLower();
}

namespace {

/// Removes the whole ".." components of a path, each with the component
/// before it. Dots inside a name ("file..txt") are ordinary characters; a
/// ".." at the root stays at the root.
Str resolveParentReferences(const Str& path) {
  Str rest = path;
  for (;;) {
    const std::string& text = rest.str();
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      bool startsComponent = i == 0 || text[i - 1] == '\\';
      bool endsComponent = i + 2 == text.size() || text[i + 2] == '\\';
      if (text[i] == '.' && text[i + 1] == '.' && startsComponent && endsComponent) {
        found = i;
        break;
      }
    }
    if (found == std::string::npos) return rest;
    Str before = found >= 1 ? Str(text.substr(0, found - 1)) : Str();  // without its backslash
    Str after = found + 3 <= text.size() ? Str(text.substr(found + 3)) : Str();
    Str parent;
    if (before.empty()) {
      parent = found >= 1 ? Str("\\") : Str();  // climbing above the root stays there
    } else {
      parent = parentDirectory(before);
      if (parent.empty() && before.at(1) == '\\') parent = Str("\\");
    }
    rest = joinPath(parent, after);
    if (rest.empty() && found >= 1) rest = Str("\\");
  }
}

}  // namespace

Str absolutePath(const Str& path) {
  Str drive, rest;
  if (path.find(':') == 2) {
    drive = path.mid(1, 2);
    rest = path.mid(3);
  } else {
    drive = currentDirectory().mid(1, 2);
    rest = path;
  }
  if (rest.at(1) != '\\') {
    if (rest.find('\\') == 2 && rest.at(1) == '.') rest = rest.mid(3);
    rest = joinPath(currentDirectoryOfDrive(drive).mid(3), rest);
  }
  rest = resolveParentReferences(rest);
  return joinPath(drive, rest);
}

bool findInPathList(const Str& name, const Str& list, Str& out) {
  Tokenizer directories(list, ';', true);
  for (Str dir = directories.nextToken(); !dir.empty(); dir = directories.nextToken()) {
    Str candidate = joinPath(dir, name);
    if (isFile(candidate)) {
      out = candidate;
      return true;
    }
  }
  return false;
}

Str libraryFileName(const Str& name) {
  Str result = name.lowered();
  if (extensionOf(result).empty()) result.append(".dll");
  return result;
}

DirectoryScanner::DirectoryScanner(const Str& directory, const Str& pattern)
    : directory_(directory.empty() ? Str(".") : directory), pattern_(pattern.lowered()) {}

bool DirectoryScanner::accept(const std::string& name, Str& out) const {
  Str lower = Str(name).toLower();
  if (!matchWildcard(lower.c_str(), pattern_.c_str(), '?', '*')) return false;
  Str full = joinPath(directory_, lower);
  if (!isFile(full)) return false;
  out = full;
  return true;
}

bool DirectoryScanner::firstFile(Str& out) {
  std::string name;
  searching_ = search_.first(joinPath(directory_, "*").str(), name);
  if (!searching_) return false;
  if (accept(name, out)) return true;
  return nextFile(out);
}

bool DirectoryScanner::nextFile(Str& out) {
  if (!searching_) return false;
  std::string name;
  while (search_.next(name)) {
    if (accept(name, out)) return true;
  }
  return false;
}
