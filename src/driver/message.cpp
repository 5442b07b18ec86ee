#include "driver/message.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

bool isControl(unsigned char c) {
  return (c < 0x20 && c != '\t') || c == 0x7f;
}

/// Appends `value` to `out` with each control character in its visible form.
void appendVisible(std::string& out, const std::string& value) {
  std::size_t controls = 0;
  for (char c : value) controls += isControl(static_cast<unsigned char>(c)) ? 1 : 0;
  if (controls == 0) {
    out += value;
    return;
  }
  static const char Hex[] = "0123456789abcdef";
  out.reserve(out.size() + value.size() + controls * 5);
  for (char c : value) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (!isControl(byte)) {
      out += c;
      continue;
    }
    out += "<0x";
    out += Hex[byte >> 4];
    out += Hex[byte & 0x0f];
    out += '>';
  }
}

}  // namespace

std::string visibleText(const std::string& value) {
  std::string shown;
  appendVisible(shown, value);
  return shown;
}

Message::Message(MessageId id) : text_(lookupMessageText(id)) {}

void detail::fillPlaceholder(std::string& text, std::int32_t number, const Str& value) {
  const char digit = static_cast<char>('0' + number);
  const char* const start = text.data();
  const char* const end = start + text.size();
  const char* p = start;
  for (;;) {
    p = static_cast<const char*>(std::memchr(p, '%', static_cast<std::size_t>(end - p)));
    if (p == nullptr || p + 1 == end) return;
    if (p[1] == digit) break;
    ++p;
  }
  const std::size_t at = static_cast<std::size_t>(p - start);
  const std::string& raw = value.str();
  bool plain = true;
  for (char c : raw) {
    if (isControl(static_cast<unsigned char>(c))) {
      plain = false;
      break;
    }
  }
  if (plain) {
    text.replace(at, 2, raw);
    return;
  }
  std::string shown;
  appendVisible(shown, raw);
  text.replace(at, 2, shown);
}

Str detail::decimalText(std::int32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%ld", static_cast<long>(value));
  return Str(digits);
}

Message Message::arg(const Str& value) const {
  Message result(*this);
  std::string text = text_.str();
  detail::fillPlaceholder(text, next_, value);
  result.text_ = Str(std::move(text));
  result.next_ = next_ + 1;
  return result;
}

Message Message::arg(std::int32_t value) const {
  return arg(detail::decimalText(value));
}

Message bind(const Message& message, ReportLog& log) {
  Message result(message);
  result.log_ = &log;
  return result;
}

void writeLineEnd(ReportLog& log) {
  log.flush();
  log << '\n';
  log.writeOut();
}
