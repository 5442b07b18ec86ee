// Read-only access to the registry below HKEY_LOCAL_MACHINE, and the
// operating-system name shown by the general checks.
#pragma once

#include <vector>

#include "driver/str.h"
#include "platform/registry.h"

/// The current key (initially HKEY_LOCAL_MACHINE) and a read buffer that
/// only grows and serves every read of this key object.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  /// Opens a backslash-separated key path below HKEY_LOCAL_MACHINE, piece
  /// by piece; false at the first piece that does not open (the key stays
  /// at the last piece that did).
  bool openPath(const Str& path);
  /// The text of value `valueName` of subkey `subKey` of the current key;
  /// empty when the subkey or the value does not exist. The registry type
  /// is not examined: the data is read up to its first NUL.
  Str queryString(const Str& subKey, const Str& valueName);
  /// The same for a value of the current key itself.
  Str queryOwnString(const Str& valueName);
  /// The names of all values of a subkey, in descending index order,
  /// separated by "\n"; empty for a missing subkey or one without values.
  Str listValueNames(const Str& subKey);
  /// Returns to HKEY_LOCAL_MACHINE.
  void close();

 private:
  void growBuffer(std::size_t size);
  Str readString(platform::RegistryHandle key, const Str& valueName);

  platform::RegistryHandle current_ = platform::LocalMachineKey;
  std::vector<unsigned char> buffer_;
};

/// Owns one RegistryKey for the duration of one operation; closes it when
/// dropped.
class RegistryKeyHandle {
 public:
  RegistryKey& operator*() { return key_; }
  RegistryKey* operator->() { return &key_; }

 private:
  RegistryKey key_;
};

/// "Windows NT 4.00" and the like: the platform name and its version, the
/// minor version with at least two digits.
Str osVersionText();
