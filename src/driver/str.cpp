#include "driver/str.h"

#include <cctype>
#include <cstring>
#include <utility>

namespace {

bool isBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

Str::Str(const char* data, std::size_t count) {
  if (data == nullptr) return;
  const void* nul = std::memchr(data, '\0', count);
  if (nul != nullptr) count = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
  text_.assign(data, count);
}

Str::Str(std::string&& text) : text_(std::move(text)) {
  const std::size_t nul = text_.find('\0');
  if (nul != std::string::npos) text_.resize(nul);
}

Str& Str::keepFirst(std::size_t count) {
  if (count < text_.size()) text_.resize(count);
  return *this;
}

Str& Str::dropFirst(std::size_t count) {
  text_.erase(0, count < text_.size() ? count : text_.size());
  return *this;
}

char Str::at(std::size_t position) const {
  if (position == 0 || position > text_.size()) return '\0';
  return text_[position - 1];
}

Str& Str::append(const Str& other) {
  text_ += other.text_;
  return *this;
}

Str& Str::append(char c) {
  if (c != '\0') text_ += c;
  return *this;
}

Str Str::mid(std::size_t start, std::size_t count) const {
  if (start == 0 || start > text_.size()) return Str();
  std::size_t available = text_.size() - (start - 1);
  if (count == 0 || count > available) count = available;
  return Str(text_.substr(start - 1, count));
}

Str& Str::trim() {
  std::size_t begin = 0;
  std::size_t end = text_.size();
  while (begin < end && isBlank(text_[begin])) ++begin;
  while (end > begin && isBlank(text_[end - 1])) --end;
  // In place: a long text is not copied to drop a few blanks.
  text_.erase(end);
  text_.erase(0, begin);
  return *this;
}

Str& Str::toLower() {
  for (char& c : text_) c = platform::ascii::lower(c);
  return *this;
}

Str& Str::toUpper() {
  for (char& c : text_) c = platform::ascii::upper(c);
  return *this;
}

std::size_t Str::find(char c) const {
  std::size_t p = text_.find(c);
  return p == std::string::npos ? 0 : p + 1;
}

std::size_t Str::find(const char* text) const {
  std::size_t p = text_.find(text);
  return p == std::string::npos ? 0 : p + 1;
}

std::size_t Str::findLast(char c) const {
  std::size_t p = text_.rfind(c);
  return p == std::string::npos ? 0 : p + 1;
}

bool Str::startsWith(const char* prefix) const {
  return text_.compare(0, std::strlen(prefix), prefix) == 0;
}

Str Str::joinWith(const Str& first, const Str& second, char separator) {
  Str result(first);
  if (!first.empty() && !first.endsWith(separator) && !second.empty()) result.append(separator);
  if (!second.empty() && second.text_[0] == separator) {
    result.text_.append(second.text_, 1, std::string::npos);
  } else {
    result.append(second);
  }
  return result;
}

bool equalsIgnoringCase(const Str& a, const Str& b) {
  return platform::ascii::equalIgnoringCase(a.str(), b.str());
}

Str Tokenizer::nextToken() {
  // Walks the text once: each piece is copied out of it, the rest never is.
  const std::string& text = text_.str();
  while (next_ < text.size()) {
    std::size_t end = text.find(separator_, next_);
    if (end == std::string::npos) end = text.size();
    std::size_t begin = next_;
    next_ = end < text.size() ? end + 1 : text.size();
    if (trim_) {
      while (begin < end && isBlank(text[begin])) ++begin;
      while (end > begin && isBlank(text[end - 1])) --end;
    }
    if (end > begin) return Str(text.data() + begin, end - begin);
  }
  return Str();
}

std::istream& readWord(std::istream& in, Str& target) {
  std::string word;
  int c;
  while ((c = in.get()) != std::char_traits<char>::eof() && isBlank(static_cast<char>(c))) {
  }
  while (c != std::char_traits<char>::eof() && !isBlank(static_cast<char>(c))) {
    word += static_cast<char>(c);
    c = in.get();
  }
  target = Str(word);
  if (!word.empty() && in.eof()) in.clear(std::ios::eofbit);
  return in;
}

std::int32_t convertLikeAtol(const Str& text) {
  const char* p = text.c_str();
  while (isBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  std::int64_t value = 0;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > limit) value = limit;  // stays saturated for the remaining digits
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}
