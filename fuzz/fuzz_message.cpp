// Message composition: the first two bytes pick a catalog row, the rest are
// arguments separated by NUL bytes, substituted in order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t row = (data[0] | (data[1] << 8)) % (MessageCatalogSize + 1);
  const MessageId id = row < MessageCatalogSize ? MessageCatalog[row].id : NeutralMessageId;
  Message message(id);
  std::string argument;
  for (std::size_t i = 2; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      message = message.arg(Str(argument));
      argument.clear();
    } else {
      argument += static_cast<char>(data[i]);
    }
  }
  if (message.text().length() > 16 * size + 256) __builtin_trap();  // no runaway growth
  return 0;
}
