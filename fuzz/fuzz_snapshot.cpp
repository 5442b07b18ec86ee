// The files of a snapshot that the emulation reads besides registry.reg: the
// input is a `network` file, and the same bytes as `environment`, `cwd` and
// `system` files.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/network_text.h"
#include "platform/posix/machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace nt = platform::network_text;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t skipped = 0;
  for (const nt::CallRecord& record : nt::parseRecords(text, skipped)) {
    // Every output read back as the replay reads it.
    for (const auto& field : record.fields) {
      std::string bytes;
      std::uint32_t address = 0;
      std::uint16_t port = 0;
      winsock::FdSet set;
      (void)nt::unquote(field.second, bytes);
      (void)nt::parseAddress(field.second, address);
      (void)nt::parseEndpoint(field.second, address, port);
      (void)nt::parseSet(field.second, set);
    }
  }
  platform::posix::RecordedState state;
  platform::posix::parseRecordedState(&text, &text, &text, state);
  return 0;
}
