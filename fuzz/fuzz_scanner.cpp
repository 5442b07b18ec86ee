// The version scanner: the input is a product file in the scanned
// directory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/report_log.h"
#include "fuzz_machine.h"
#include "scan/version_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::writeMachineFile("drive_c/zorfuzz.exe", data, size);
  ReportLog log(nullptr, 0xFFFFFFFFu);  // no console, no file
  if (scanVersionStrings(log, "c:\\", "zorfuzz.exe") != 1) __builtin_trap();
  return 0;
}
