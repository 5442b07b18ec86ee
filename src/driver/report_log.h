// The one output channel of a run: every message goes through a ReportLog,
// which hands each flushed piece of text to the console (filtered by the
// display threshold) and to the log file.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "driver/message_catalog.h"
#include "platform/file.h"

/// Id of the message being written; NeutralMessageId between messages.
extern MessageId currentMessageId;
/// Set once by the ReportLog constructor.
extern MessageId displayThreshold;

/// Display thresholds chosen by the command line.
constexpr MessageId ThresholdDebug = 26000;    // -d
constexpr MessageId ThresholdInfo = 26001;     // -i
constexpr MessageId ThresholdDefault = 26300;  // no option
constexpr MessageId ThresholdErrors = 26600;   // -e
constexpr MessageId ThresholdUpdate = 26999;   // -u
constexpr MessageId DebugMessageId = msg::CHK_DBG;

class ReportLog;

/// Stream buffer of a ReportLog. Text collects in the put area until a flush
/// hands it over in one piece; a full area grows instead of handing over part
/// of a message, so a long message can never lose its id halfway.
class ReportBuffer : public std::streambuf {
 public:
  explicit ReportBuffer(ReportLog& log);

 protected:
  int sync() override;
  int_type overflow(int_type c) override;
  int_type underflow() override;

 private:
  void resetArea();

  std::vector<char> area_;
  ReportLog& log_;
};

class ReportLog : public std::ostream {
 public:
  /// Opens (replacing) the log file `fileName`, or no file when it is null,
  /// and sets the display threshold. Never reports: the caller checks
  /// fileGood() afterwards.
  ReportLog(const char* fileName, MessageId threshold);
  ~ReportLog() override;

  ReportLog(const ReportLog&) = delete;
  ReportLog& operator=(const ReportLog&) = delete;

  /// Whether the log file was opened.
  bool fileGood() const { return fileGood_; }

  /// Hands over what is pending and closes the log file. False when the
  /// file was opened but some of the text could not be written, flushed or
  /// closed; failureReason() then says why.
  bool finish();
  const std::string& failureReason() const { return failureReason_; }

  /// One hand-over: `count` bytes and the character `c` (or EOF) go to the
  /// console when the current id is above the threshold, and to the file
  /// unless they form a debug line outside debug mode; then the current id
  /// returns to neutral. A console that cannot be written (a closed pipe, a
  /// full device) is given up for the rest of the run; the file still gets
  /// every line. A failed file write is remembered and ends the file's
  /// writes, so that no later line lands after a gap.
  void deliver(const char* bytes, std::size_t count, int c);

 private:
  std::unique_ptr<ReportBuffer> buffer_;
  platform::File file_;
  bool fileGood_ = false;
  bool hasFile_ = false;
  bool fileFailed_ = false;
  bool consoleFailed_ = false;
  std::string failureReason_;
};
