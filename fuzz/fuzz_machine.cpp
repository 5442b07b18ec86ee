#include "fuzz_machine.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace fuzz {

const std::string& machineDirectory() {
  // Never destroyed: the exit handler below still needs it.
  static const std::string& directory = *new std::string([] {
    char pattern[] = "/tmp/zorivt-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) std::abort();
    std::string root = made;
    std::filesystem::create_directories(root + "/drive_c/WINNT/system32/drivers/etc");
    ::setenv("ZORIVT_MACHINE", root.c_str(), 1);
    ::unsetenv("PATH");
    if (::chdir((root + "/drive_c").c_str()) != 0) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(machineDirectory(), ignored);
    });
    return root;
  }());
  return directory;
}

void writeMachineFile(const std::string& relative, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(machineDirectory() + "/" + relative, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzz
