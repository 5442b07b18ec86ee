// Win32 backend only: the standard streams at start.
#include <io.h>

#include <cstdio>

#include "platform/process.h"

namespace platform {

void prepareStandardStreams() {
  // A stream without a handle behind it is reopened on the null device, so
  // that the C runtime cannot hand its descriptor to a file opened later.
  // A console that goes away raises no signal here: its writes just fail.
  struct Stream {
    std::FILE* stream;
    int fd;
    const char* mode;
  };
  const Stream streams[] = {{stdin, 0, "r"}, {stdout, 1, "w"}, {stderr, 2, "w"}};
  for (const Stream& s : streams) {
    if (_get_osfhandle(s.fd) == -1) std::freopen("NUL", s.mode, s.stream);
  }
}

}  // namespace platform
