// ASCII letter case and wildcard matching, the one definition for every
// layer: the checker's text type builds on it, and the platform backends use
// it without reaching up into the driver. Header only; standard library only,
// no OS header. Bytes outside A-Z and a-z are never changed, whatever the
// locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::ascii {

constexpr char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = lower(c);
  return result;
}

inline std::string uppered(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = upper(c);
  return result;
}

/// True when the two texts are equal ignoring ASCII letter case.
inline bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

/// Wildcard match, byte by byte and case-sensitive: `anyOne` stands for
/// exactly one character, `anyRun` for any run including none (a NUL for
/// either turns it off). A null text never matches; a null pattern is empty.
inline bool matchWildcard(const char* text, const char* pattern, char anyOne = '?',
                          char anyRun = '*') {
  if (text == nullptr) return false;
  if (pattern == nullptr) pattern = "";
  // Iterative matching with one backtrack point: the latest run wildcard.
  // It accepts exactly the texts that the recursive definition accepts, in
  // time bounded by the product of the lengths.
  const char* t = text;
  const char* q = pattern;
  const char* starPattern = nullptr;
  const char* starText = nullptr;
  while (*t != '\0') {
    if (*q == anyRun && anyRun != '\0') {
      starPattern = ++q;
      starText = t;
    } else if (*q != '\0' && (*q == anyOne || *q == *t)) {
      ++q;
      ++t;
    } else if (starPattern != nullptr) {
      q = starPattern;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (*q == anyRun && anyRun != '\0') ++q;
  return *q == '\0';
}

}  // namespace platform::ascii
