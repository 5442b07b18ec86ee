// What one run of the checker keeps from its start to its end, beside the
// variable store: the display threshold, the id of the message being
// written, the checks and lines that come once a run, and the socket layer's
// session. A run's ReportLog holds its run state, so every new log starts a
// run afresh: the command line's run, and each unit test, fuzz input or
// benchmark round with a log of its own.
#pragma once

#include <bitset>
#include <memory>

#include "driver/message_catalog.h"

/// The checks and lines that a run does at most once.
enum class RunOnce {
  ProfileSearchListLine,  // the search-list debug line of a duplicate profile
  DatabaseClientCheck,
  QuorLinkProtocolCheck,
  EtcDirectoryTest,  // whether the system's TCP/IP directory exists
  Count
};

/// Something a subsystem starts once a run and ends with the run (the
/// socket layer's session); its destructor ends it.
class RunResource {
 public:
  virtual ~RunResource() = default;
};

class RunState {
 public:
  explicit RunState(MessageId threshold) : displayThreshold_(threshold) {}
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  MessageId displayThreshold() const { return displayThreshold_; }

  /// Id of the message being written; NeutralMessageId between messages.
  MessageId messageId() const { return messageId_; }
  void setMessageId(MessageId id) { messageId_ = id; }

  /// True the first time it is asked for `what` in this run, false ever
  /// after.
  bool firstTime(RunOnce what) {
    const std::size_t bit = static_cast<std::size_t>(what);
    if (done_.test(bit)) return false;
    done_.set(bit);
    return true;
  }

  /// The socket layer's session: empty until the first network probe of the
  /// run starts it.
  std::unique_ptr<RunResource>& socketSession() { return socketSession_; }

 private:
  MessageId displayThreshold_;
  MessageId messageId_ = NeutralMessageId;
  std::bitset<static_cast<std::size_t>(RunOnce::Count)> done_;
  std::unique_ptr<RunResource> socketSession_;
};
