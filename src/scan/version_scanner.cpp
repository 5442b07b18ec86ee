#include "scan/version_scanner.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ZORIVT_SCAN_AVX2 1
#endif

#include "driver/checker_level.h"
#include "driver/message.h"
#include "platform/file.h"

extern const char CheckerIdentification[] = "@(#)Corvanta Configuration Checker " ZORIVT_LEVEL;

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

/// Most bytes read at a match; the reported text is never longer.
constexpr std::size_t TextLimit = 128;

/// Printable in the C locale (isprint): the characters from blank to "~".
bool isPrintable(unsigned char c) {
  return c >= 0x20 && c <= 0x7e;
}

/// The printable characters from the rarest to the most common in program
/// files, as counted over some hundred megabytes of executables and
/// libraries.
constexpr char RarestFirst[] =
    "Yqz?>~Q*j^+'#\"J/76ZWV{3!:Kwk;,y4}<5OXF[-G%\\R)b|.=vg]2&Nx"
    "U`CmhT98SM(BP@dplc1u0f_soinraEIDLAet$ H";

/// A marker and the position of its anchor: the character looked for with
/// the C library's memchr, whose vector loop passes over bytes far faster
/// than any comparison of ours. The anchor is the marker's character that is
/// rarest in program files, so that few places need a closer look.
struct MarkerTables {
  explicit MarkerTables(const Str& marker)
      : text(reinterpret_cast<const unsigned char*>(marker.c_str())), length(marker.length()) {
    std::size_t best = sizeof RarestFirst;
    for (std::size_t i = 0; i < length; ++i) {
      const char* at = std::strchr(RarestFirst, static_cast<char>(text[i]));
      const std::size_t rank =
          at == nullptr ? sizeof RarestFirst : static_cast<std::size_t>(at - RarestFirst);
      if (rank < best) {
        best = rank;
        anchor = i;
      }
    }
  }

  const unsigned char* text;
  std::size_t length;
  std::size_t anchor = 0;
};

/// Window start of the first occurrence of the marker in `bytes`, or -1.
/// Windows are tried in order of their start, each where the anchor matches.
std::int64_t findInChunk(const unsigned char* bytes, std::size_t count,
                         const MarkerTables& marker) {
  const std::size_t m = marker.length;
  if (count < m) return -1;
  if (m == 0) return 0;
  const unsigned char anchor = marker.text[marker.anchor];
  const unsigned char* p = bytes + marker.anchor;
  const unsigned char* const last = bytes + (count - m) + marker.anchor;
  while (p <= last) {
    p = static_cast<const unsigned char*>(
        std::memchr(p, anchor, static_cast<std::size_t>(last - p) + 1));
    if (p == nullptr) return -1;
    // Compared here rather than by a call: most anchors fail at once.
    const unsigned char* window = p - marker.anchor;
    std::size_t i = 0;
    while (i < m && window[i] == marker.text[i]) ++i;
    if (i == m) return window - bytes;
    ++p;
  }
  return -1;
}

/// Whether the marker starts at `window`.
bool matchesAt(const unsigned char* window, const MarkerTables& marker) {
  std::size_t i = 0;
  while (i < marker.length && window[i] == marker.text[i]) ++i;
  return i == marker.length;
}

#if defined(ZORIVT_SCAN_AVX2)
/// PairFinder's search on processors with AVX2, 64 places a step: the place
/// found, or null with `p` moved past the places looked at (fewer than 64
/// are left for the caller).
__attribute__((target("avx2"))) const unsigned char* findPairsAvx2(
    const unsigned char*& p, const unsigned char* end, unsigned char a_, unsigned char a2_,
    unsigned char b_, unsigned char b2_) {
  const __m256i a = _mm256_set1_epi8(static_cast<char>(a_));
  const __m256i a2 = _mm256_set1_epi8(static_cast<char>(a2_));
  const __m256i b = _mm256_set1_epi8(static_cast<char>(b_));
  const __m256i b2 = _mm256_set1_epi8(static_cast<char>(b2_));
  for (; end - p >= 64; p += 64) {
    const auto* v = reinterpret_cast<const __m256i*>(p);
    const auto* w = reinterpret_cast<const __m256i*>(p + 1);
    const __m256i x0 = _mm256_loadu_si256(v), y0 = _mm256_loadu_si256(w);
    const __m256i x1 = _mm256_loadu_si256(v + 1), y1 = _mm256_loadu_si256(w + 1);
    const __m256i h0 =
        _mm256_or_si256(_mm256_and_si256(_mm256_cmpeq_epi8(x0, a), _mm256_cmpeq_epi8(y0, a2)),
                        _mm256_and_si256(_mm256_cmpeq_epi8(x0, b), _mm256_cmpeq_epi8(y0, b2)));
    const __m256i h1 =
        _mm256_or_si256(_mm256_and_si256(_mm256_cmpeq_epi8(x1, a), _mm256_cmpeq_epi8(y1, a2)),
                        _mm256_and_si256(_mm256_cmpeq_epi8(x1, b), _mm256_cmpeq_epi8(y1, b2)));
    const std::uint64_t mask =
        static_cast<std::uint32_t>(_mm256_movemask_epi8(h0)) |
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(h1))) << 32;
    if (mask != 0) return p + __builtin_ctzll(mask);
  }
  return nullptr;
}

bool processorHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2") != 0;
  return has;
}
#endif

/// Finds the places in [p, end) where one of two byte pairs starts: `a`
/// followed by `a2`, or `b` followed by `b2` (the byte after `end - 1` may be
/// read). One pass for both, sixteen places a step where the processor has
/// SSE2 (a pair is far rarer than its first byte, so few places come back);
/// elsewhere two memchr cursors on the first bytes, whose places the caller
/// checks whole anyway.
class PairFinder {
 public:
  PairFinder(unsigned char a, unsigned char a2, unsigned char b, unsigned char b2)
      : a_(a), a2_(a2), b_(b), b2_(b2) {}

  /// The first place at or after p, or null.
  const unsigned char* find(const unsigned char* p, const unsigned char* end) {
#if defined(ZORIVT_SCAN_AVX2)
    if (processorHasAvx2()) {
      if (const unsigned char* at = findPairsAvx2(p, end, a_, a2_, b_, b2_)) return at;
    }
#endif
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi8(static_cast<char>(a_));
    const __m128i a2 = _mm_set1_epi8(static_cast<char>(a2_));
    const __m128i b = _mm_set1_epi8(static_cast<char>(b_));
    const __m128i b2 = _mm_set1_epi8(static_cast<char>(b2_));
    for (; end - p >= 32; p += 32) {
      const __m128i* v = reinterpret_cast<const __m128i*>(p);
      const __m128i* w = reinterpret_cast<const __m128i*>(p + 1);
      const __m128i x0 = _mm_loadu_si128(v), y0 = _mm_loadu_si128(w);
      const __m128i x1 = _mm_loadu_si128(v + 1), y1 = _mm_loadu_si128(w + 1);
      const __m128i h0 = _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(x0, a), _mm_cmpeq_epi8(y0, a2)),
                                      _mm_and_si128(_mm_cmpeq_epi8(x0, b), _mm_cmpeq_epi8(y0, b2)));
      const __m128i h1 = _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(x1, a), _mm_cmpeq_epi8(y1, a2)),
                                      _mm_and_si128(_mm_cmpeq_epi8(x1, b), _mm_cmpeq_epi8(y1, b2)));
      const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(h0)) |
                            static_cast<unsigned>(_mm_movemask_epi8(h1)) << 16;
      if (mask != 0) return p + __builtin_ctz(mask);
    }
    for (; p < end; ++p) {
      if ((*p == a_ && p[1] == a2_) || (*p == b_ && p[1] == b2_)) return p;
    }
    return nullptr;
#else
    // Each cursor stays valid while it lies at or after p.
    if (nextA_ == nullptr || nextA_ < p || nextA_ > end) nextA_ = next(p, end, a_);
    if (nextB_ == nullptr || nextB_ < p || nextB_ > end) nextB_ = next(p, end, b_);
    const unsigned char* first = nextA_ < nextB_ ? nextA_ : nextB_;
    return first == end ? nullptr : first;
#endif
  }

 private:
#if !defined(__SSE2__)
  static const unsigned char* next(const unsigned char* p, const unsigned char* end,
                                   unsigned char c) {
    const void* at = std::memchr(p, c, static_cast<std::size_t>(end - p));
    return at == nullptr ? end : static_cast<const unsigned char*>(at);
  }
  const unsigned char* nextA_ = nullptr;
  const unsigned char* nextB_ = nullptr;
#endif
  unsigned char a_, a2_, b_, b2_;
};

}  // namespace

VersionFileWalker::VersionFileWalker(const Str& defaultPath, const Str& masks)
    : defaultPath_(defaultPath), directories_(';', true), masks_(masks, ';', true) {
  advance();
}

bool VersionFileWalker::advance() {
  scanner_.reset();
  if (!include_.empty() && !directories_.atEnd()) {
    scanner_ = std::make_unique<DirectoryScanner>(directories_.nextToken(), Str("*"));
    return true;
  }
  if (masks_.atEnd()) return false;

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

namespace {

/// The printable text at `at` in `bytes` (which hold `count` bytes), at most
/// TextLimit of them.
Str textAt(const unsigned char* bytes, std::size_t count, std::size_t at) {
  const std::size_t available = count - at < TextLimit ? count - at : TextLimit;
  std::size_t length = 0;
  while (length < available && isPrintable(bytes[at + length])) ++length;
  return Str(reinterpret_cast<const char*>(bytes + at), length);
}

/// What the scan of one file found: texts[i] is the text at the first
/// occurrence of markers[i] (empty when there is none), for one or two
/// markers; the search stops as soon as the first marker is found, the later
/// ones being wanted only without it.
struct MarkerSearch {
  const MarkerTables* const* markers;
  std::size_t count;
  Str* texts;
  bool found[2] = {false, false};

  /// Looks for each marker not yet found at the starts [from, to) of
  /// `bytes` (which hold `size` bytes): an occurrence starting there may run
  /// past `to`. True when the first marker is found.
  bool search(const unsigned char* bytes, std::size_t size, std::size_t from, std::size_t to) {
    if (count == 2 && !found[0] && !found[1]) {
      switch (searchBoth(bytes, size, from, to)) {
        case Both::FirstFound:
          return true;
        case Both::NoneFound:
          return false;
        case Both::SecondFound:  // the first is looked for alone below
        case Both::Undecided:
          break;
      }
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (found[i]) continue;
      const std::size_t m = markers[i]->length;
      const std::size_t end = size - to < m - 1 ? size : to + m - 1;
      const std::int64_t w = findInChunk(bytes + from, end - from, *markers[i]);
      if (w < 0) continue;
      texts[i] = textAt(bytes, size, from + static_cast<std::size_t>(w));
      found[i] = true;
      if (i == 0) return true;
    }
    return false;
  }

  enum class Both { FirstFound, SecondFound, NoneFound, Undecided };

  /// Both markers in one pass over the starts [from, to): the first
  /// occurrence of each, in the order of their anchors, which is the order
  /// of their starts for each marker. When the second is found first, the
  /// rest of the first's search is left to the caller.
  Both searchBoth(const unsigned char* bytes, std::size_t size, std::size_t from, std::size_t to) {
    const MarkerTables& first = *markers[0];
    const MarkerTables& second = *markers[1];
    // The starts each marker may have here: in [from, to), and whole in the
    // bytes.
    auto startsEnd = [&](const MarkerTables& marker) {
      if (size < marker.length) return from;
      const std::size_t lastStart = size - marker.length + 1;
      return lastStart < to ? (lastStart > from ? lastStart : from) : to;
    };
    const std::size_t end0 = startsEnd(first), end1 = startsEnd(second);
    if (end0 == from && end1 == from) return Both::NoneFound;  // neither can start here
    // One marker alone, or a marker too short for a pair: the caller's search.
    if (end0 == from || end1 == from || first.length < 2 || second.length < 2) {
      return Both::Undecided;
    }
    // Each marker is looked for by a pair of its bytes: its anchor and the
    // byte after it (before it, for an anchor at the end).
    auto pairAt = [](const MarkerTables& marker) {
      return marker.anchor + 1 < marker.length ? marker.anchor : marker.anchor - 1;
    };
    const std::size_t a0 = pairAt(first), a1 = pairAt(second);
    const std::size_t lo = from + (a0 < a1 ? a0 : a1);
    const std::size_t hi = (end0 + a0 > end1 + a1 ? end0 + a0 : end1 + a1);
    if (lo >= hi) return Both::NoneFound;
    PairFinder finder(first.text[a0], first.text[a0 + 1], second.text[a1], second.text[a1 + 1]);
    for (const unsigned char* p = bytes + lo; p < bytes + hi; ++p) {
      p = finder.find(p, bytes + hi);
      if (p == nullptr) break;
      const std::size_t q = static_cast<std::size_t>(p - bytes);
      if (q >= from + a0 && q < end0 + a0 && matchesAt(p - a0, first)) {
        texts[0] = textAt(bytes, size, q - a0);
        found[0] = true;
        return Both::FirstFound;
      }
      if (q >= from + a1 && q < end1 + a1 && matchesAt(p - a1, second)) {
        texts[1] = textAt(bytes, size, q - a1);
        found[1] = true;
        return Both::SecondFound;
      }
    }
    return Both::NoneFound;
  }
};

/// The scan by reading: the file comes in large blocks straight into one
/// buffer. A match counts only where the TextLimit bytes after its start are
/// in the buffer (or the file ends before); the bytes from that limit on move
/// to the front for the next block, so no occurrence is missed or counted
/// twice and the text after a match never needs another read. A read error
/// ends the reading as the end of the file would.
bool scanRead(const Str& path, MarkerSearch& search) {
  platform::File file;
  if (!file.open(path.str(), platform::File::Access::Read, platform::File::Kind::Binary)) {
    return false;
  }
  // Each block is read to a cache-line boundary, where the system copies
  // fastest, with room before it for the bytes kept from the block before.
  constexpr std::size_t LineSize = 64;
  // Not zero-filled: only bytes read into it are looked at.
  const std::unique_ptr<unsigned char[]> buffer(
      new unsigned char[TextLimit + LineSize + VersionScanBlockSize]);
  const std::uintptr_t room = reinterpret_cast<std::uintptr_t>(buffer.get()) + TextLimit;
  unsigned char* const blockStart =
      buffer.get() + TextLimit + ((LineSize - room % LineSize) % LineSize);
  std::size_t kept = 0;
  for (;;) {
    const std::size_t got = file.read(reinterpret_cast<char*>(blockStart), VersionScanBlockSize);
    const unsigned char* const bytes = blockStart - kept;
    const std::size_t filled = kept + got;
    const bool atEnd = got < VersionScanBlockSize;  // the end of the file, or a read error
    const std::size_t limit = atEnd ? filled : filled - TextLimit;
    // Starts from `limit` on are left to the next block, where their text
    // is whole.
    if (search.search(bytes, filled, 0, limit) || atEnd) {
      return true;
    }
    kept = filled - limit;
    std::memmove(blockStart - kept, bytes + limit, kept);
  }
}

/// Reads the file once, front to back, in blocks, for the first occurrence
/// of each of `count` markers (see MarkerSearch). Reading into one buffer
/// that stays in the processor's cache, searched in one pass for both
/// markers, is faster here than mapping the file, whose pages cost more to
/// map and unmap than the system's copy into the buffer. False when the file
/// cannot be opened (a file that is not a regular file is never opened).
bool scanFile(const Str& path, const MarkerTables* const* markers, std::size_t count, Str* texts) {
  MarkerSearch search{markers, count, texts};
  return scanRead(path, search);
}

}  // namespace

Str searchMarker(ReportLog& log, const Str& path, const Str& marker) {
  const MarkerTables tables(marker);
  const MarkerTables* markers[] = {&tables};
  Str text;
  if (!scanFile(path, markers, 1, &text)) {
    report(log, msg::CHK_DBG, "Scanner: Cannot open file %2", path);
  }
  return text;
}

std::int32_t scanVersionStrings(ReportLog& log, const Str& defaultPath, const Str& masks) {
  identificationInUse = CheckerIdentification;
  report(log, msg::CHK_DBG, "FileMask = '%2', DefaultPath = '%3'", masks, defaultPath);

  prepareMarkers();
  const Str markerTexts[2] = {Str(Markers[0].text), Str(Markers[1].text)};
  const MarkerTables tables[2] = {MarkerTables(markerTexts[0]), MarkerTables(markerTexts[1])};
  std::size_t index = 0;  // the marker tried first; kept from one file to the next
  std::int32_t count = 0;
  VersionFileWalker walker(defaultPath, masks);
  Str path;
  for (bool more = walker.firstFile(path); more; more = walker.nextFile(path)) {
    reportUnended(log, msg::CHK0066I, absolutePath(path));
    // Both markers in one reading: the one tried first wins wherever it is,
    // the other counts only when the file lacks the first.
    const MarkerTables* order[] = {&tables[index], &tables[1 - index]};
    Str texts[2];
    Str text;
    if (!scanFile(path, order, 2, texts)) {
      // One line for each marker that could not be looked for.
      report(log, msg::CHK_DBG, "Scanner: Cannot open file %2", path);
      report(log, msg::CHK_DBG, "Scanner: Cannot open file %2", path);
    } else if (!texts[0].empty()) {
      text = texts[0];
    } else if (!texts[1].empty()) {
      index = 1 - index;
      text = texts[1];
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
