// POSIX backend only: the standard streams at start.
#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace platform {

void prepareStandardStreams() {
  // Descriptors 0, 1 and 2 in turn: open() takes the lowest free one, so a
  // closed one is filled before any higher one could be.
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != -1 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
  // A reader that has gone away makes a write fail with EPIPE instead.
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace platform
