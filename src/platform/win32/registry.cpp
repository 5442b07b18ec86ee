// Win32 backend only: the registry through the advapi32 functions. The
// program is 32-bit, like the product: on 64-bit Windows it reads the 32-bit
// registry view by itself, where the product's 32-bit installer writes its
// keys, and the system keys it reads are shared by both views.
#include "platform/registry.h"

#include <windows.h>

#include "platform/host.h"

namespace platform {
namespace {
HKEY toKey(RegistryHandle handle) {
  return reinterpret_cast<HKEY>(handle);
}
}  // namespace

const RegistryHandle LocalMachineKey = reinterpret_cast<RegistryHandle>(HKEY_LOCAL_MACHINE);

long host::registryOpenKey(RegistryHandle parent, const char* subKey, RegistryAccess access,
                           RegistryHandle& result) {
  HKEY opened = nullptr;
  REGSAM sam = access == RegistryAccess::Read ? KEY_READ : KEY_QUERY_VALUE;
  LONG status = RegOpenKeyExA(toKey(parent), subKey, 0, sam, &opened);
  if (status == ERROR_SUCCESS) result = reinterpret_cast<RegistryHandle>(opened);
  return status;
}

long host::registryQueryValue(RegistryHandle key, const char* name, std::uint32_t* type,
                              unsigned char* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = size ? *size : 0;
  LONG status =
      RegQueryValueExA(toKey(key), name, nullptr, &valueType, data, size ? &valueSize : nullptr);
  if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    if (type) *type = valueType;
    if (size) *size = valueSize;
  }
  return status;
}

long host::registryQueryInfo(RegistryHandle key, std::uint32_t* valueCount,
                             std::uint32_t* longestValueName) {
  DWORD values = 0, longest = 0;
  LONG status = RegQueryInfoKeyA(toKey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &values, &longest, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) {
    if (valueCount) *valueCount = values;
    if (longestValueName) *longestValueName = longest;
  }
  return status;
}

long host::registryEnumValue(RegistryHandle key, std::uint32_t index, char* name,
                             std::uint32_t* nameLength) {
  if (name == nullptr || nameLength == nullptr) return ERROR_INVALID_PARAMETER;
  DWORD length = *nameLength;
  LONG status = RegEnumValueA(toKey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) *nameLength = length;
  return status;
}

long host::registryCloseKey(RegistryHandle key) {
  if (key == LocalMachineKey) return ERROR_SUCCESS;
  return RegCloseKey(toKey(key));
}

}  // namespace platform
