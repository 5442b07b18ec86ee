#include "driver/report_log.h"

#include <cstdio>
#include <string>

MessageId currentMessageId = NeutralMessageId;
MessageId displayThreshold = ThresholdDefault;

namespace {
constexpr std::size_t InitialAreaSize = 1024;
}

ReportBuffer::ReportBuffer(ReportLog& log) : area_(InitialAreaSize), log_(log) { resetArea(); }

void ReportBuffer::resetArea() {
  if (area_.size() > 64 * InitialAreaSize) {
    area_.assign(InitialAreaSize, '\0');
    area_.shrink_to_fit();
  }
  setp(area_.data(), area_.data() + area_.size());
}

int ReportBuffer::sync() {
  log_.deliver(pbase(), static_cast<std::size_t>(pptr() - pbase()), traits_type::eof());
  resetArea();
  return 0;
}

ReportBuffer::int_type ReportBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return sync();
  // Grow rather than hand over: the text written so far belongs to the
  // message whose id is in force, and only a flush may end that message.
  std::size_t used = static_cast<std::size_t>(pptr() - pbase());
  area_.resize(area_.size() * 2);
  setp(area_.data(), area_.data() + area_.size());
  pbump(static_cast<int>(used));
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return 0;
}

ReportBuffer::int_type ReportBuffer::underflow() { return traits_type::eof(); }

ReportLog::ReportLog(const char* fileName, MessageId threshold) : std::ostream(nullptr) {
  buffer_ = std::make_unique<ReportBuffer>(*this);
  rdbuf(buffer_.get());
  if (fileName != nullptr) {
    hasFile_ = true;
    fileGood_ = file_.open(fileName, platform::File::Access::Write, platform::File::Kind::Text);
  } else {
    fileGood_ = true;  // the null device: always good, discards everything
  }
  currentMessageId = NeutralMessageId;
  displayThreshold = threshold;
}

ReportLog::~ReportLog() {
  finish();
  rdbuf(nullptr);
  buffer_.reset();
}

bool ReportLog::finish() {
  flush();
  if (!hasFile_ || !fileGood_) return true;
  if (file_.isOpen() && !file_.close() && !fileFailed_) {
    fileFailed_ = true;
    failureReason_ = file_.failureReason();
  }
  return !fileFailed_;
}

void ReportLog::deliver(const char* bytes, std::size_t count, int c) {
  const bool endOfFile = c == std::char_traits<char>::eof();
  if (currentMessageId > displayThreshold && !consoleFailed_) {
    bool written = count == 0 || std::fwrite(bytes, 1, count, stdout) == count;
    if (written && !endOfFile) written = std::fputc(c, stdout) != EOF;
    consoleFailed_ = std::fflush(stdout) != 0 || !written;
  }
  const bool hiddenDebug = currentMessageId == DebugMessageId && displayThreshold != ThresholdDebug;
  if (!hiddenDebug && hasFile_ && fileGood_ && !fileFailed_) {
    bool written = count == 0 || file_.write(bytes, count);
    if (written && !endOfFile) {
      char ch = static_cast<char>(c);
      written = file_.write(&ch, 1);
    }
    if (!written || !file_.flush()) {
      fileFailed_ = true;
      failureReason_ = file_.failureReason();
    }
  }
  currentMessageId = NeutralMessageId;
}
