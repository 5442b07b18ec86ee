#include "scan/version_scanner.h"

#include <vector>

#include "driver/message.h"
#include "platform/file.h"

extern const char CheckerIdentification[] = "@(#)Corvanta Configuration Checker V2R3.4.2";

namespace {

// scanVersionStrings stores the identification's address here. The store
// through a volatile object cannot be optimised away, so neither the compiler
// nor the linker may drop the text from an executable that can scan.
const char* volatile identificationInUse = nullptr;

// The markers are held with "~" in place of their first character and
// completed when a scan starts, so that the checker's code and data hold no
// marker of their own: a scan of the checker's executable then finds its
// identification text and nothing else.
char IdentificationMarker[] = "~(#)Corvanta";
char BuildMarker[] = "~RVBLD";

struct VersionMarker {
  char* text;
  char first;              // written over the "~"
  std::size_t reportFrom;  // 1-based position in the found text of what is reported
};

VersionMarker Markers[] = {
    {IdentificationMarker, '@', 5},  // the text after "@(#)"
    {BuildMarker, 'D', 8},           // the text after the marker and one more character
};

void prepareMarkers() {
  for (VersionMarker& marker : Markers) marker.text[0] = marker.first;
}

/// Bytes searched per chunk beyond the marker's own length.
constexpr std::size_t ChunkExtra = 1024;
/// Most bytes read at a match; the reported text is never longer.
constexpr std::size_t TextLimit = 128;
/// The scan reads its files through a buffer of this size: the chunks are
/// small and each is followed by a short move back, which then stays in the
/// buffer instead of costing a read from the system. Larger buffers were
/// measured to make the system's copy into them several times slower.
constexpr std::size_t ScanReadBufferSize = 64 * 1024;

/// Printable in the C locale (isprint): the characters from blank to "~".
bool isPrintable(unsigned char c) {
  return c >= 0x20 && c <= 0x7e;
}

/// The marker prepared for the search in a chunk. `lastAt` holds, per byte
/// value, the 1-based position of its last occurrence in the marker (0 when
/// it does not occur); `skip` the move of the window when the byte under the
/// marker's last character differs from it.
struct MarkerTables {
  explicit MarkerTables(const Str& marker)
      : text(reinterpret_cast<const unsigned char*>(marker.c_str())),
        length(static_cast<std::int64_t>(marker.length())) {
    for (std::int64_t i = 0; i < length; ++i) lastAt[text[i]] = static_cast<std::uint32_t>(i + 1);
    for (std::size_t c = 0; c < 256; ++c) skip[c] = static_cast<std::uint32_t>(length - lastAt[c]);
  }
  const unsigned char* text;
  std::int64_t length;
  std::uint32_t lastAt[256] = {};
  std::uint32_t skip[256] = {};
};

/// One step of the skipping comparison at window start `w`: the marker is
/// compared with the bytes from its last character towards its first. On a
/// full match `match` is set and `w` returned. On a mismatch against byte c
/// at marker index j the window moves so that the last occurrence of c in the
/// marker lines up with c when that occurrence lies before j, and past c
/// otherwise; a mismatch at the last character, by far the most frequent,
/// takes its move from `skip` (the same rule with j = m - 1).
inline std::int64_t stepWindow(const unsigned char* bytes, std::int64_t w,
                               const MarkerTables& marker, bool& match) {
  const std::int64_t m = marker.length;
  const unsigned char c = bytes[w + m - 1];
  if (c != marker.text[m - 1]) return w + marker.skip[c];
  std::int64_t j = m - 2;
  while (j >= 0 && bytes[w + j] == marker.text[j]) --j;
  if (j < 0) {
    match = true;
    return w;
  }
  const std::int64_t r = marker.lastAt[bytes[w + j]];
  return w + (r <= j ? j + 1 - r : j + 1);
}

/// Window start of the first occurrence of the marker in `bytes`, or -1.
/// The skipping comparison never steps over an occurrence, wherever it
/// starts. Each step waits for the byte it loads to choose the next one, so
/// the window starts are split into two halves walked in alternation, whose
/// waits overlap: the lower walk, whose occurrences come first, decides as
/// soon as it finds one; the upper walk's match counts only when the lower
/// walk has none.
std::int64_t findInChunk(const unsigned char* bytes, std::size_t count,
                         const MarkerTables& marker) {
  const std::int64_t end = static_cast<std::int64_t>(count) - marker.length;  // last window start
  if (end < 0) return -1;
  if (marker.length == 0) return 0;
  const std::int64_t half = (end + 1) / 2;
  std::int64_t low = 0;
  std::int64_t high = half;
  bool lowMatch = false;
  bool highMatch = false;
  while (low < half && high <= end) {
    low = stepWindow(bytes, low, marker, lowMatch);
    if (lowMatch) return low;
    high = stepWindow(bytes, high, marker, highMatch);
    if (highMatch) break;
  }
  while (low < half) {
    low = stepWindow(bytes, low, marker, lowMatch);
    if (lowMatch) return low;
  }
  while (!highMatch && high <= end) high = stepWindow(bytes, high, marker, highMatch);
  return highMatch ? high : -1;
}

}  // namespace

VersionFileWalker::VersionFileWalker(const Str& defaultPath, const Str& masks)
    : defaultPath_(defaultPath), directories_(';', true), masks_(masks, ';', true) {
  advance();
}

bool VersionFileWalker::advance() {
  scanner_.reset();
  if (!include_.empty() && !directories_.remaining().empty()) {
    scanner_ = std::make_unique<DirectoryScanner>(directories_.nextToken(), Str("*"));
    return true;
  }
  if (masks_.remaining().empty()) return false;

  Str mask = masks_.nextToken();
  exclude_ = Str();
  Str directory = parentDirectory(mask);
  if (!directory.empty()) {
    include_ = fileNamePart(mask);
  } else {
    directories_.setRemaining(defaultPath_);
    directory = directories_.nextToken();
    include_ = mask.lowered();
  }
  if (include_.endsWith('.')) {
    exclude_ = Str(include_).append('*');
    include_ = include_.mid(1, include_.length() - 1);
  }
  scanner_ = std::make_unique<DirectoryScanner>(directory, Str("*"));
  return true;
}

bool VersionFileWalker::accepted(const Str& path) const {
  const Str name = fileNamePart(path);
  if (!matchWildcard(name.c_str(), include_.c_str(), '?', '*')) return false;
  return exclude_.empty() || !matchWildcard(name.c_str(), exclude_.c_str(), '?', '*');
}

bool VersionFileWalker::firstFile(Str& path) {
  if (!scanner_) return false;
  Str candidate;
  if (scanner_->firstFile(candidate) && accepted(candidate)) {
    path = candidate;
    return true;
  }
  return nextFile(path);
}

bool VersionFileWalker::nextFile(Str& path) {
  if (!scanner_) return false;
  Str candidate;
  bool found = scanner_->nextFile(candidate);
  for (;;) {
    if (!found) {
      if (!advance()) return false;
      found = scanner_->firstFile(candidate);
    } else if (accepted(candidate)) {
      path = candidate;
      return true;
    } else {
      found = scanner_->nextFile(candidate);
    }
  }
}

Str searchMarker(ReportLog& log, const Str& path, const Str& marker) {
  platform::File file;
  if (!file.open(path.str(), platform::File::Access::Read, platform::File::Kind::Binary)) {
    report(log, msg::CHK_DBG, "Scanner: Cannot open file %2", path);
    return Str();
  }
  file.bufferReads(ScanReadBufferSize);

  const std::size_t m = marker.length();
  const MarkerTables tables(marker);

  const std::size_t chunk = m + ChunkExtra;
  std::vector<unsigned char> buffer(chunk + 1);
  for (;;) {
    const std::size_t got = file.read(reinterpret_cast<char*>(buffer.data()), chunk);
    const std::int64_t w = findInChunk(buffer.data(), got, tables);
    if (w >= 0) {
      if (!file.seekRelative(-static_cast<std::int64_t>(got - static_cast<std::size_t>(w)))) {
        report(log, msg::CHK_DBG, "Scanner: error setting file pointer");
        return Str();
      }
      char text[TextLimit];
      const std::size_t read = file.read(text, TextLimit);
      std::size_t length = 0;
      while (length < read && isPrintable(static_cast<unsigned char>(text[length]))) ++length;
      return Str(text, length);
    }
    if (got < chunk) return Str();
    // Step back so that consecutive chunks overlap by m + 2 bytes and a marker
    // across the end of this chunk lies whole in the next one.
    if (!file.seekRelative(-static_cast<std::int64_t>(m + 2))) {
      report(log, msg::CHK_DBG, "Scanner: error setting file pointer");
      return Str();
    }
  }
}

std::int32_t scanVersionStrings(ReportLog& log, const Str& defaultPath, const Str& masks) {
  identificationInUse = CheckerIdentification;
  report(log, msg::CHK_DBG, "FileMask = '%2', DefaultPath = '%3'", masks, defaultPath);

  prepareMarkers();
  std::size_t index = 0;  // the marker tried first; kept from one file to the next
  std::int32_t count = 0;
  VersionFileWalker walker(defaultPath, masks);
  Str path;
  for (bool more = walker.firstFile(path); more; more = walker.nextFile(path)) {
    reportUnended(log, msg::CHK0066I, absolutePath(path));
    Str text = searchMarker(log, path, Str(Markers[index].text));
    if (text.empty()) {
      index = 1 - index;
      text = searchMarker(log, path, Str(Markers[index].text));
      if (text.empty()) index = 1 - index;
    }
    writeLineEnd(log);
    if (text.empty()) {
      report(log, msg::CHK0069I, fileNamePart(path));
    } else {
      report(log, msg::CHK0068I, text.mid(Markers[index].reportFrom));
    }
    ++count;
  }
  return count;
}
