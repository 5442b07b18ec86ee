#include "driver/report_log.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/access_recorder.h"

namespace {
constexpr std::size_t InitialAreaSize = 1024;
/// The log file is written in blocks of this size (a message longer than a
/// block is written on its own): when a block is full, at writeOut() (the
/// end of each section, and before each network probe) and at the end.
constexpr std::size_t FileBlockSize = 64 * 1024;
}  // namespace

ReportBuffer::ReportBuffer(ReportLog& log) : area_(InitialAreaSize), log_(log) {
  resetArea();
}

void ReportBuffer::resetArea() {
  if (area_.size() > 64 * InitialAreaSize) {
    area_.assign(InitialAreaSize, '\0');
    area_.shrink_to_fit();
  }
  setp(area_.data(), area_.data() + area_.size());
}

int ReportBuffer::sync() {
  log_.deliver(pbase(), static_cast<std::size_t>(pptr() - pbase()));
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

std::streamsize ReportBuffer::xsputn(const char* bytes, std::streamsize count) {
  // Grown once to the size a long text needs, rather than doubled a
  // character at a time, which would hold the text up to three times.
  const std::size_t used = static_cast<std::size_t>(pptr() - pbase());
  const std::size_t wanted = static_cast<std::size_t>(count);
  if (used + wanted > area_.size()) {
    area_.resize(used + wanted);
    setp(area_.data(), area_.data() + area_.size());
    pbump(static_cast<int>(used));
  }
  std::copy(bytes, bytes + wanted, pptr());
  pbump(static_cast<int>(wanted));
  return count;
}

ReportBuffer::int_type ReportBuffer::underflow() {
  return traits_type::eof();
}

ReportLog::ReportLog(const char* fileName, MessageId threshold)
    : std::ostream(nullptr), run_(threshold) {
  buffer_ = std::make_unique<ReportBuffer>(*this);
  rdbuf(buffer_.get());
  if (fileName != nullptr) {
    hasFile_ = true;
    fileGood_ = file_.open(fileName, platform::File::Access::Write, platform::File::Kind::Text);
    // Room for a block and the message that fills it, taken now: a run out
    // of memory still gets its last messages into the file.
    if (fileGood_) fileBlock_.reserve(2 * FileBlockSize);
  } else {
    fileGood_ = true;  // the null device: always good, discards everything
  }
}

ReportLog::ReportLog(Text& text, MessageId threshold) : ReportLog(nullptr, threshold) {
  text_ = &text;
  hasFile_ = true;
}

ReportLog::~ReportLog() {
  finish();
  rdbuf(nullptr);
  buffer_.reset();
}

void ReportLog::writeOut() {
  flush();
  if (!fileBlock_.empty()) {
    writeFile(fileBlock_.data(), fileBlock_.size());
    fileBlock_.clear();
  }
  if (text_ == nullptr && !consoleFailed_) consoleFailed_ = std::fflush(stdout) != 0;
}

bool ReportLog::finish() {
  writeOut();
  if (!hasFile_ || !fileGood_) return true;
  if (file_.isOpen() && !file_.close() && !fileFailed_) stopFile();
  return !fileFailed_;
}

void ReportLog::deliver(const char* bytes, std::size_t count) {
  deliverPieces(bytes, count, "", 0);
}

void ReportLog::deliverLine(const std::string& text) {
  // The heading of each part of the report names what is read from then on.
  const MessageId id = run_.messageId();
  if (id == msg::CHK0050I || id == msg::CHK0051I) platform::recordRunPart(text);
  deliverPieces(text.data(), text.size(), "\n", 1);
}

void ReportLog::deliverPieces(const char* bytes, std::size_t count, const char* more,
                              std::size_t moreCount) {
  const MessageId id = run_.messageId();
  run_.setMessageId(NeutralMessageId);
  if (count + moreCount == 0) return;
  if (id > run_.displayThreshold() && !consoleFailed_) {
    // The C runtime buffers the console as it does (by line on a terminal,
    // in blocks into a file or pipe), so that the library loader's progress
    // line on the same stream keeps its place.
    if (text_ != nullptr) {
      text_->console.append(bytes, count).append(more, moreCount);
    } else {
      consoleFailed_ = std::fwrite(bytes, 1, count, stdout) != count ||
                       std::fwrite(more, 1, moreCount, stdout) != moreCount;
    }
  }
  const bool hiddenDebug = id == DebugMessageId && !debugMode();
  if (!hiddenDebug && hasFile_ && fileGood_ && !fileFailed_) toFile(bytes, count, more, moreCount);
}

void ReportLog::toFile(const char* bytes, std::size_t count, const char* more,
                       std::size_t moreCount) {
  if (text_ != nullptr) {
    text_->file.append(bytes, count).append(more, moreCount);
    return;
  }
  const std::size_t total = count + moreCount;
  if (fileBlock_.size() + total < FileBlockSize) {
    fileBlock_.append(bytes, count).append(more, moreCount);
    return;
  }
  // The block is full: out with it, and with a message of a block or more
  // straight after it instead of through the block. Either way only whole
  // lines reach the disk.
  if (total < FileBlockSize) {
    fileBlock_.append(bytes, count).append(more, moreCount);
    writeFile(fileBlock_.data(), fileBlock_.size());
  } else if (writeFile(fileBlock_.data(), fileBlock_.size()) && writeFile(bytes, count)) {
    writeFile(more, moreCount);
  }
  fileBlock_.clear();
}

bool ReportLog::writeFile(const char* bytes, std::size_t count) {
  if (fileFailed_ || text_ != nullptr || count == 0) return !fileFailed_;
  if (!file_.write(bytes, count) || !file_.flush()) stopFile();
  return !fileFailed_;
}

void ReportLog::stopFile() {
  fileFailed_ = true;
  failureReason_ = file_.failureReason();
}
