#include "driver/message.h"

#include <cstdio>
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

Message Message::arg(const Str& value) const {
  Message result(*this);
  const std::string& text = text_.str();
  const char digit = static_cast<char>('0' + next_);
  for (std::size_t p = 0; p + 1 < text.size(); ++p) {
    if (text[p] == '%' && text[p + 1] == digit) {
      std::string composed;
      composed.reserve(text.size() + value.length());
      composed.append(text, 0, p);
      appendVisible(composed, value.str());
      composed.append(text, p + 2, std::string::npos);
      result.text_ = Str(std::move(composed));
      break;
    }
  }
  result.next_ = next_ + 1;
  return result;
}

Message Message::arg(std::int32_t value) const {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%ld", static_cast<long>(value));
  return arg(Str(digits));
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
