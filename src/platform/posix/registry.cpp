// POSIX backend only: the registry of the emulated machine. Until its
// registry file is read, the machine has an empty HKEY_LOCAL_MACHINE.
#include "platform/registry.h"

namespace platform {

const RegistryHandle LocalMachineKey = 0x80000002u;

long registryOpenKey(RegistryHandle parent, const char*, RegistryAccess, RegistryHandle&) {
  return parent == LocalMachineKey ? RegistryNotFound : RegistryInvalidHandle;
}

long registryQueryValue(RegistryHandle, const char*, std::uint32_t*, unsigned char*,
                        std::uint32_t*) {
  return RegistryNotFound;
}

long registryQueryInfo(RegistryHandle, std::uint32_t* valueCount, std::uint32_t* longest) {
  if (valueCount) *valueCount = 0;
  if (longest) *longest = 0;
  return RegistrySuccess;
}

long registryEnumValue(RegistryHandle, std::uint32_t, char*, std::uint32_t*) {
  return RegistryNoMoreItems;
}

long registryCloseKey(RegistryHandle) { return RegistrySuccess; }

}  // namespace platform
