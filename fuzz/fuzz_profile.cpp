// The profile reader: the input is the profile file.
#include <cstddef>
#include <cstdint>

#include "config/profile.h"
#include "config/variable_store.h"
#include "driver/report_log.h"
#include "fuzz_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::writeMachineFile("drive_c/zorpzcfg.prf", data, size);
  {
    ReportLog log(nullptr, 0xFFFFFFFFu);  // no console, no file
    Str profile("zorpzcfg.prf");
    readProfile(log, "c:\\", profile);
  }
  releaseVariableStore();
  return 0;
}
