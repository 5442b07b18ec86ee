// The regedit export parser: the input is registry.reg.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/posix/regedit_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using platform::posix::RegistryTree;
  RegistryTree tree = platform::posix::parseRegeditExport(
      std::string_view(reinterpret_cast<const char*>(data), size));
  // Walk what was built, as the registry calls would.
  RegistryTree::KeyId key = tree.subKey(RegistryTree::Root, "SOFTWARE");
  if (key != RegistryTree::NoKey) {
    for (const auto& value : tree.values(key)) (void)tree.findValue(key, value.name);
    (void)tree.longestValueName(key);
  }
  return 0;
}
