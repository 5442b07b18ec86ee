// POSIX backend only: replacing a file of the emulated machine in one step.
// The update lock is an exclusive flock() on the file itself; as a finished
// update puts a new file in the old one's place, a waiter whose lock is on
// the old file takes the lock again on the new one.
#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/fault_injection.h"
#include "platform/posix/machine.h"

namespace platform {
namespace {

// The signals that end a console program: Ctrl+C, the terminal closed, a
// request to terminate.
const int InterruptSignals[] = {SIGINT, SIGHUP, SIGTERM};
constexpr int SignalCount = sizeof InterruptSignals / sizeof InterruptSignals[0];

volatile std::sig_atomic_t interruptSignal = 0;
struct sigaction previousActions[SignalCount];
bool handlersInstalled = false;

extern "C" void noteInterrupt(int signal) {
  interruptSignal = signal;
}

void installHandlers() {
  interruptSignal = 0;
  struct sigaction action = {};
  action.sa_handler = noteInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a wait for the lock ends at once
  for (int i = 0; i < SignalCount; ++i) {
    ::sigaction(InterruptSignals[i], &action, &previousActions[i]);
  }
  handlersInstalled = true;
}

/// Puts the previous handlers back; then a noted interrupt is raised again,
/// to end the process as it would have without the update.
void restoreHandlers() {
  if (!handlersInstalled) return;
  for (int i = 0; i < SignalCount; ++i) {
    ::sigaction(InterruptSignals[i], &previousActions[i], nullptr);
  }
  handlersInstalled = false;
  const int signal = interruptSignal;
  interruptSignal = 0;
  if (signal != 0) std::raise(signal);
}

void blockInterrupts(int how) {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : InterruptSignals) sigaddset(&set, signal);
  ::sigprocmask(how, &set, nullptr);
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool FileReplacement::interrupted() {
  return interruptSignal != 0;
}

bool FileReplacement::lock(const std::string& path) {
  finish();
  installHandlers();
  locked_ = true;
  if (faultinjection::fileOperationFails()) return false;
  std::string host;
  if (!posix::Machine::current().resolve(path, host, false)) return false;
  char real[PATH_MAX];
  if (::realpath(host.c_str(), real) == nullptr) return false;
  target_ = real;
  while (!interrupted()) {
    // Non-blocking open: a FIFO planted in the file's place cannot hold the
    // update up.
    const int fd = ::open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1) return false;
    lockHandle_ = fd;
    struct stat locked, named;
    if (::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode)) return false;
    int result;
    while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR && !interrupted()) {
    }
    if (result != 0) return false;
    // The update that held the lock may have replaced the file meanwhile.
    if (::stat(target_.c_str(), &named) == 0 && sameFile(locked, named)) return true;
    ::close(fd);
    lockHandle_ = -1;
  }
  return false;
}

bool FileReplacement::create(File& output) {
  output.close();
  if (lockHandle_ < 0 || interrupted() || faultinjection::fileOperationFails()) return false;
  struct stat old;
  if (::fstat(static_cast<int>(lockHandle_), &old) != 0) return false;
  const std::size_t slash = target_.rfind('/');
  const std::string directory = target_.substr(0, slash + 1);
  const std::string base = target_.substr(slash + 1);
  const long pid = static_cast<long>(::getpid());
  for (int attempt = 0; attempt < 1000 && !interrupted(); ++attempt) {
    const std::string name =
        base + "." + std::to_string(pid) + "-" + std::to_string(attempt) + ".tmp";
    const std::string path = directory + name;
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, S_IRUSR | S_IWUSR);
    if (fd == -1) {
      if (errno == EEXIST) continue;
      return false;
    }
    created_ = true;
    replacement_ = path;
    replacementName_ = name;
    // The owner first: changing it may clear the set-id bits of the mode.
    // Where this process may not give the file away, it stays the creator's
    // and keeps only the permission bits.
    mode_t mode = old.st_mode & 07777;
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      if (::fchown(fd, old.st_uid, old.st_gid) != 0) mode &= 0777;
    }
    std::FILE* handle = ::fchmod(fd, mode) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (handle == nullptr) {
      ::close(fd);
      return false;
    }
    output.handle_ = handle;
    return true;
  }
  return false;
}

bool FileReplacement::commit() {
  if (!created_ || committed_ || faultinjection::fileOperationFails()) return false;
  // An interrupt from here on waits until the file is in place: the update
  // is then complete, and finish() ends the process after it.
  blockInterrupts(SIG_BLOCK);
  committed_ = !interrupted() && std::rename(replacement_.c_str(), target_.c_str()) == 0;
  blockInterrupts(SIG_UNBLOCK);
  return committed_;
}

void FileReplacement::finish() {
  if (created_ && !committed_) ::unlink(replacement_.c_str());
  if (lockHandle_ >= 0) ::close(static_cast<int>(lockHandle_));
  lockHandle_ = -1;
  created_ = committed_ = false;
  target_.clear();
  replacement_.clear();
  replacementName_.clear();
  if (locked_) restoreHandlers();
  locked_ = false;
}

}  // namespace platform
