// Composition of catalog messages and the one emission sequence that every
// finding goes through.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "driver/message_catalog.h"
#include "driver/report_log.h"
#include "driver/str.h"

/// `value` with each control character but the tab (bytes 0x00 to 0x1f and
/// 0x7f) written as "<0x" and two lower-case hex digits and ">": a value
/// taken from the machine can neither end a line of the log nor send a
/// command to a terminal. A value without one comes back unchanged.
std::string visibleText(const std::string& value);

/// A message under composition: the template text with the placeholders
/// filled so far, the number of the next placeholder, and the log it will be
/// written to (none until bound). Every step yields a new value.
class Message {
 public:
  /// The template of `id`, or the empty text when the catalog lacks it.
  explicit Message(MessageId id);

  /// Replaces the first "%n" (n = next placeholder number) searched from the
  /// start of the text as it is now, with the value in its visible form;
  /// without one the argument is dropped. Either way the next number is one
  /// higher.
  Message arg(const Str& value) const;
  /// The value in signed decimal, then as text.
  Message arg(std::int32_t value) const;

  const Str& text() const { return text_; }
  std::int32_t next() const { return next_; }
  ReportLog* log() const { return log_; }

  friend Message bind(const Message& message, ReportLog& log);

 private:
  Str text_;
  std::int32_t next_ = 1;
  ReportLog* log_ = nullptr;
};

/// A copy of `message` that will be written to `log`.
Message bind(const Message& message, ReportLog& log);

namespace detail {
/// Fills the first "%n" (n = `number`) of `text`, searched from its start,
/// with `value` in its visible form; nothing when there is none. The rule of
/// Message::arg, applied in place.
void fillPlaceholder(std::string& text, std::int32_t number, const Str& value);

inline const Str& argText(const Str& v) {
  return v;
}
inline Str argText(const char* v) {
  return Str(v);
}
inline Str argText(const std::string& v) {
  return Str(v);
}
/// The value in signed decimal.
Str decimalText(std::int32_t value);
template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
Str argText(T v) {
  return decimalText(static_cast<std::int32_t>(v));
}

/// The text of message `id` with `args` filled in order, as a chain of
/// Message::arg gives it, composed in one string.
template <typename... Args>
std::string composeText(MessageId id, const Args&... args) {
  const char* catalogText = lookupMessageText(id);
  std::string text = catalogText != nullptr ? catalogText : "";
  text.reserve(text.size() + (argText(args).length() + ... + 0));
  std::int32_t number = 0;
  ((fillPlaceholder(text, ++number, argText(args))), ...);
  return text;
}
}  // namespace detail

/// The emission sequence: the message's id becomes the current id, the text
/// is composed and written, ended by a line end and handed over with a flush.
template <typename... Args>
void report(ReportLog& log, MessageId id, const Args&... args) {
  log.flush();  // text streamed before must not travel under this id
  log.run().setMessageId(id);
  log.deliverLine(detail::composeText(id, args...));
}

/// The same without the line end: for a text that already ends with one, or
/// that the caller continues on the same line.
template <typename... Args>
void reportUnended(ReportLog& log, MessageId id, const Args&... args) {
  log.flush();
  log.run().setMessageId(id);
  log << detail::composeText(id, args...);
  log.flush();
}

/// Neutral text: an empty separator line, or the line end that completes a
/// line begun with reportUnended. Either ends a piece of the report, which
/// is then written out.
void writeLineEnd(ReportLog& log);
