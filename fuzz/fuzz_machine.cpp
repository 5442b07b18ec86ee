#include "fuzz_machine.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "machine_directory.h"

namespace fuzz {

const std::string& machineDirectory() {
  // Never destroyed: the exit handler below still needs it.
  static const std::string& directory = *new std::string([] {
    const test_support::MachineDirectory machine(
        test_support::createTemporaryFolder("zorivt-fuzz-"));
    machine.directory("drive_c/WINNT/system32/drivers/etc");
    test_support::setEnvironment("ZORIVT_MACHINE", machine.root().string().c_str());
    test_support::setEnvironment("PATH", nullptr);
    std::filesystem::current_path(machine.root() / "drive_c");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(machineDirectory(), ignored);
    });
    return machine.root().string();
  }());
  return directory;
}

void writeMachineFile(const std::string& relative, const std::uint8_t* data, std::size_t size) {
  test_support::writeFile(machineDirectory() + "/" + relative,
                          std::string(reinterpret_cast<const char*>(data), size));
}

}  // namespace fuzz
