// Text type and list primitives shared by every subsystem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

#include "platform/ascii.h"

/// Owned 8-bit text with value semantics. Positions are 1-based; 0 means
/// "not found". The text never holds a NUL character: construction from a
/// character array stops at its terminator, and a null pointer gives the
/// empty text.
class Str {
 public:
  Str() = default;
  Str(const char* text) : text_(text ? text : "") {}     // NOLINT: implicit by design
  Str(const std::string& text) : text_(text.c_str()) {}  // NOLINT: stops at a NUL
  Str(std::string&& text);  // NOLINT: takes the characters over, stops at a NUL
  Str(const char* data, std::size_t count);

  const char* c_str() const { return text_.c_str(); }
  const std::string& str() const { return text_; }
  std::size_t length() const { return text_.size(); }
  bool empty() const { return text_.empty(); }

  /// Character at 1-based position; NUL past the end or at position 0.
  char at(std::size_t position) const;
  char last() const { return text_.empty() ? '\0' : text_.back(); }

  /// This text followed by `other`.
  Str& append(const Str& other);
  Str& append(char c);

  /// Up to `count` characters from `start` on (all of them when count is 0);
  /// empty when start is 0 or beyond the length.
  Str mid(std::size_t start, std::size_t count = 0) const;

  /// Keeps the first `count` characters / removes the first `count`, in
  /// place (all of them when the text is shorter).
  Str& keepFirst(std::size_t count);
  Str& dropFirst(std::size_t count);

  /// Removes leading and trailing white space (blank, \t, \n, \v, \f, \r).
  Str& trim();
  /// Change only the ASCII letters.
  Str& toLower();
  Str& toUpper();
  Str lowered() const { return Str(*this).toLower(); }
  Str uppered() const { return Str(*this).toUpper(); }

  /// 1-based position of the first / last occurrence, 0 when absent.
  std::size_t find(char c) const;
  std::size_t find(const char* text) const;
  std::size_t findLast(char c) const;

  bool startsWith(const char* prefix) const;
  bool endsWith(char c) const { return !text_.empty() && text_.back() == c; }

  /// `first`, then `separator` when first is non-empty, does not already end
  /// with it and `second` is non-empty, then `second` without a leading
  /// separator. No change of letter case.
  static Str joinWith(const Str& first, const Str& second, char separator);

  friend bool operator==(const Str& a, const Str& b) { return a.text_ == b.text_; }
  friend bool operator!=(const Str& a, const Str& b) { return a.text_ != b.text_; }
  friend bool operator<(const Str& a, const Str& b) { return a.text_ < b.text_; }

 private:
  std::string text_;
};

/// True when the two texts are equal ignoring ASCII letter case.
bool equalsIgnoringCase(const Str& a, const Str& b);

/// Walks one separated list, returning its non-empty pieces in order.
class Tokenizer {
 public:
  Tokenizer(const Str& text, char separator, bool trim)
      : text_(text), separator_(separator), trim_(trim) {}
  Tokenizer(char separator, bool trim) : separator_(separator), trim_(trim) {}

  /// The next non-empty piece (trimmed when asked), or the empty text when
  /// the list is exhausted.
  Str nextToken();

  /// True when no text is left after the pieces taken so far (the rest may
  /// still hold only separators and blanks when it is not).
  bool atEnd() const { return next_ >= text_.length(); }
  /// The text after the pieces taken so far (a copy).
  Str remaining() const { return text_.mid(next_ + 1); }
  void setRemaining(const Str& text) {
    text_ = text;
    next_ = 0;
  }

 private:
  Str text_;
  std::size_t next_ = 0;  // 0-based offset of the rest in text_
  char separator_;
  bool trim_;
};

/// Wildcard match, byte by byte and case-sensitive: `anyOne` stands for
/// exactly one character, `anyRun` for any run including none. A null text
/// never matches.
using platform::ascii::matchWildcard;

/// Reads one run of non-blank characters into `target` (empty when the input
/// ended first); the blank that ends the word is consumed.
std::istream& readWord(std::istream& in, Str& target);

/// The text converted like the C library's `atol`: leading white space
/// skipped, an optional sign, decimal digits up to the first other
/// character; 0 without digits. Values beyond the 32-bit range saturate.
std::int32_t convertLikeAtol(const Str& text);
