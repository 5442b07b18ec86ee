// Portable interface to the registry, read only, with the semantics of the
// Win32 calls it stands for (RegOpenKeyExA, RegQueryValueExA,
// RegQueryInfoKeyA, RegEnumValueA, RegCloseKey). Results are Win32 error
// codes. On POSIX hosts the registry of the emulated machine is read from its
// registry.reg file.
#pragma once

#include <cstdint>

namespace platform {

using RegistryHandle = std::uintptr_t;

/// HKEY_LOCAL_MACHINE; never closed.
extern const RegistryHandle LocalMachineKey;

constexpr long RegistrySuccess = 0;            // ERROR_SUCCESS
constexpr long RegistryNotFound = 2;           // ERROR_FILE_NOT_FOUND
constexpr long RegistryInvalidHandle = 6;      // ERROR_INVALID_HANDLE
constexpr long RegistryInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr long RegistryMoreData = 234;         // ERROR_MORE_DATA
constexpr long RegistryNoMoreItems = 259;      // ERROR_NO_MORE_ITEMS

/// Value types.
constexpr std::uint32_t RegistryString = 1;        // REG_SZ
constexpr std::uint32_t RegistryExpandString = 2;  // REG_EXPAND_SZ
constexpr std::uint32_t RegistryBinary = 3;        // REG_BINARY
constexpr std::uint32_t RegistryDword = 4;         // REG_DWORD
constexpr std::uint32_t RegistryMultiString = 7;   // REG_MULTI_SZ

enum class RegistryAccess { QueryValue, Read };  // KEY_QUERY_VALUE, KEY_READ

/// Opens `subKey` (backslash-separated, letter case ignored) below `parent`;
/// "" or null opens `parent` anew. `result` is set only on success and must
/// be closed. Fails when a key of the path does not exist (RegistryNotFound)
/// or the path starts with a backslash; RegistryInvalidHandle when `parent`
/// is not open.
long registryOpenKey(RegistryHandle parent, const char* subKey, RegistryAccess access,
                     RegistryHandle& result);

/// The value `name` ("" or null: the default value) of `key`. With `data`
/// null only the size is asked for. `size` holds the room in `data` on entry
/// and the data's size on return; RegistryMoreData when the room is too
/// small (`type` and `size` are set, `data` holds nothing usable). `type`
/// may be null. RegistryNotFound when the value does not exist;
/// RegistryInvalidParameter for `data` without `size`.
long registryQueryValue(RegistryHandle key, const char* name, std::uint32_t* type,
                        unsigned char* data, std::uint32_t* size);

/// Number of values and length of the longest value name (without its NUL).
long registryQueryInfo(RegistryHandle key, std::uint32_t* valueCount,
                       std::uint32_t* longestValueName);

/// The name of the value at `index` (0 = first in the key's order).
/// `nameLength` holds the room in `name` (NUL included) on entry and the
/// name's length (NUL excluded) on return; RegistryMoreData when the room is
/// too small (no name is returned), RegistryNoMoreItems past the last value,
/// RegistryInvalidParameter when `name` or `nameLength` is null.
long registryEnumValue(RegistryHandle key, std::uint32_t index, char* name,
                       std::uint32_t* nameLength);

/// Closes a key opened by registryOpenKey; LocalMachineKey stays open.
long registryCloseKey(RegistryHandle key);

}  // namespace platform
