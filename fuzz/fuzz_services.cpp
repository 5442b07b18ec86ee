// The services file rewrite: the input is the services file; the entry of
// a service goes in, and the result must hold every line of the input
// that does not belong to the service, in order.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "driver/report_log.h"
#include "fuzz_machine.h"
#include "net/services_file.h"

namespace {

std::string readMachineFile(const std::string& relative) {
  std::ifstream in(fuzz::machineDirectory() + "/" + relative, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string services = "drive_c/WINNT/system32/drivers/etc/services";
  fuzz::writeMachineFile(services, data, size);
  ReportLog log(nullptr, 0xFFFFFFFFu);
  if (addServiceEntry(log, "c:\\winnt\\system32\\drivers\\etc\\services", "QuorLinkStart", 5010) !=
      0) {
    __builtin_trap();  // an existing, writable file must be updated
  }
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string output = readMachineFile(services);
  // Every line of the input that is not the service's own comes through
  // unchanged and in order.
  std::size_t from = 0;
  std::istringstream lines(input);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("QuorLinkStart", 0) == 0) continue;
    std::size_t at = output.find(line, from);
    if (at == std::string::npos) __builtin_trap();
    from = at + line.size();
  }
  if (output.find("QuorLinkStart    5010/tcp              # Corvanta") == std::string::npos) {
    __builtin_trap();
  }
  return 0;
}
