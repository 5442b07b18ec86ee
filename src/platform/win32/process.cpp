// Win32 backend only: the standard streams at start.
#include "platform/process.h"

#include <windows.h>

#include <cstdio>

namespace platform {

void prepareStandardStreams() {
  // A stream the process was started without is reopened on the null
  // device, so that its writes go nowhere instead of failing and no file
  // opened later can take its place. A console that goes away raises no
  // signal here: its writes just fail.
  struct Stream {
    DWORD handle;
    std::FILE* stream;
    const char* mode;
  };
  const Stream streams[] = {{STD_INPUT_HANDLE, stdin, "r"},
                            {STD_OUTPUT_HANDLE, stdout, "w"},
                            {STD_ERROR_HANDLE, stderr, "w"}};
  for (const Stream& s : streams) {
    HANDLE handle = GetStdHandle(s.handle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) std::freopen("NUL", s.mode, s.stream);
  }
}

}  // namespace platform
