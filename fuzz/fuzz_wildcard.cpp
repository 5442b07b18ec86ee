// Wildcard matching: the input is a text and a pattern, split at the first
// NUL byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/str.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::size_t cut = bytes.find('\0');
  std::string text = bytes.substr(0, cut);
  std::string pattern = cut == std::string::npos ? std::string() : bytes.substr(cut + 1);
  bool matched = matchWildcard(text.c_str(), pattern.c_str(), '?', '*');
  // A pattern of the text itself, or of a lone run wildcard, always matches.
  if (text.find_first_of("?*") == std::string::npos && !matchWildcard(text.c_str(), text.c_str())) {
    __builtin_trap();
  }
  if (!matchWildcard(text.c_str(), "*")) __builtin_trap();
  (void)matched;
  return 0;
}
