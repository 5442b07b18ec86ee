// The one output channel of a run: every message goes through a ReportLog,
// which hands each flushed piece of text to the console (filtered by the
// display threshold) and to the log file. The log holds the run's state.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "driver/message_catalog.h"
#include "driver/run_state.h"
#include "platform/file.h"

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
  std::streamsize xsputn(const char* bytes, std::streamsize count) override;

 private:
  void resetArea();

  std::vector<char> area_;
  ReportLog& log_;
};

class ReportLog : public std::ostream {
 public:
  /// What a log on memory received: the log file's text and the console's.
  struct Text {
    std::string file;
    std::string console;
  };

  /// Opens (replacing) the log file `fileName`, or no file when it is null,
  /// and starts a run with the display threshold. Never reports: the caller
  /// checks fileGood() afterwards.
  ReportLog(const char* fileName, MessageId threshold);
  /// A log on memory: each hand-over is appended at once to `text.file` and
  /// `text.console` as the log file and the console would receive it.
  ReportLog(Text& text, MessageId threshold);
  ~ReportLog() override;

  ReportLog(const ReportLog&) = delete;
  ReportLog& operator=(const ReportLog&) = delete;

  RunState& run() { return run_; }
  /// Whether debug lines are shown and written (-d).
  bool debugMode() const { return run_.displayThreshold() == ThresholdDebug; }

  /// Whether the log file was opened.
  bool fileGood() const { return fileGood_; }

  /// Writes the text gathered for the log file out to it and hands what the
  /// console got on to the system. Called at the end of each section of the
  /// report and before each network probe (which may wait long), so that a
  /// run killed halfway loses at most the lines since then, and never more
  /// than one block of the file.
  void writeOut();

  /// Hands over what is pending, writes it out and closes the log file.
  /// False when the file was opened but some of the text could not be
  /// written, flushed or closed; failureReason() then says why.
  bool finish();
  const std::string& failureReason() const { return failureReason_; }

  /// One hand-over: `count` bytes go to the console when the current id is
  /// above the threshold, and to the log file unless they form a debug line
  /// outside debug mode; then the current id returns to neutral. The file's
  /// text is gathered into blocks, each written and flushed when it is full
  /// and at writeOut(). A console that cannot be written (a closed pipe, a
  /// full device) is given up for the rest of the run; the file still gets
  /// every line. A failed file write is remembered and ends the file's
  /// writes, so that no later line lands after a gap.
  void deliver(const char* bytes, std::size_t count);
  /// One hand-over of a message's text and its line end, as deliver() of
  /// the two joined, without joining them: a long message is not copied.
  void deliverLine(const std::string& text);

 private:
  void deliverPieces(const char* bytes, std::size_t count, const char* more, std::size_t moreCount);
  void toFile(const char* bytes, std::size_t count, const char* more, std::size_t moreCount);
  bool writeFile(const char* bytes, std::size_t count);
  void stopFile();

  RunState run_;
  std::unique_ptr<ReportBuffer> buffer_;
  platform::File file_;
  Text* text_ = nullptr;
  std::string fileBlock_;
  bool fileGood_ = false;
  bool hasFile_ = false;
  bool fileFailed_ = false;
  bool consoleFailed_ = false;
  std::string failureReason_;
};
