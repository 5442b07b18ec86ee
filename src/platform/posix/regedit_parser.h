// POSIX backend only: reading a regedit export file (registry.reg) into the
// emulated machine's HKEY_LOCAL_MACHINE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform::posix {

/// One registry value, its data as the Windows `A` functions return it.
struct RegistryValue {
  std::string name;        ///< as first spelled in the file; "" for the default value
  std::uint32_t type = 0;  ///< REG_SZ, REG_DWORD, ... or any number a `hex(N)` gave
  std::string data;        ///< the bytes a query returns
};

/// HKEY_LOCAL_MACHINE as an export file describes it; read only once built.
/// A key is named by a `KeyId` that this tree gave out; passing any other
/// id is a caller error.
class RegistryTree {
 public:
  using KeyId = std::size_t;
  static constexpr KeyId Root = 0;  ///< HKEY_LOCAL_MACHINE itself
  static constexpr KeyId NoKey = static_cast<KeyId>(-1);

  /// An empty registry: the root key, without subkeys or values.
  RegistryTree();

  /// The subkey `name` (one key name, no backslash; ASCII case ignored) of
  /// `parent`; NoKey when it does not exist.
  KeyId subKey(KeyId parent, std::string_view name) const;

  /// The subkeys of `key`, by their names in lower case, in the order of
  /// the names.
  std::vector<std::pair<std::string, KeyId>> subKeys(KeyId key) const;

  /// The values of `key` in enumeration order: the order in which the file
  /// first set them. Setting a value again keeps its place; a value deleted
  /// and then set again comes last.
  const std::vector<RegistryValue>& values(KeyId key) const;

  /// The value `name` of `key` (ASCII case ignored, "" = the default
  /// value); null when it does not exist.
  const RegistryValue* findValue(KeyId key, std::string_view name) const;

  /// Length of the longest value name of `key`; 0 for a key without values.
  std::size_t longestValueName(KeyId key) const;

 private:
  friend class RegistryTreeBuilder;

  /// The positions of a key's values by name, ASCII case ignored: open
  /// addressing over 64-bit slots, each the name's hash (its low 32 bits) over
  /// a position + 1 (0 for a free slot, Removed for a deleted entry), a few
  /// bytes a value where a map of names would hold a copy of each name in a
  /// node of its own. The hash in the slot spares most comparisons of names
  /// (each a look at a value elsewhere in memory) and every one when the
  /// table grows.
  class ValueIndex {
   public:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);
    /// The slot of `name`, or None.
    std::size_t findSlot(const std::vector<RegistryValue>& values, std::string_view name) const;
    std::size_t positionAt(std::size_t slot) const {
      return static_cast<std::uint32_t>(slots_[slot]) - 1;
    }
    /// Enters the value at `position` of `values`, whose name is not entered.
    void add(const std::vector<RegistryValue>& values, std::size_t position);
    void removeSlot(std::size_t slot);
    /// Enters all of `values` anew.
    void rebuild(const std::vector<RegistryValue>& values);

   private:
    static constexpr std::uint32_t Removed = 0xFFFFFFFFu;
    void grow(std::size_t slotCount);
    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;  // slots not free, removed ones included
  };

  struct Key {
    std::unordered_map<std::string, KeyId> subKeys;  // by lower-case name
    std::vector<RegistryValue> values;
    ValueIndex index;
    std::size_t longestValueName = 0;
  };

  std::vector<Key> keys_;
};

/// Parses the bytes of an export file. The first line must be `REGEDIT4` or
/// `Windows Registry Editor Version 5.00`, else the registry is empty. The
/// bytes are 8-bit text, or UTF-16LE after the mark FF FE, whose characters
/// above 0xFF read as '?' (a UTF-8 mark EF BB BF is skipped). Sections of
/// HKEY_LOCAL_MACHINE (or HKLM) create their key and its missing parents;
/// `[-...]` deletes a key with its subkeys; other hives are ignored with
/// their values. Values: `"text"` (REG_SZ, NUL counted), `dword:`, `hex:`,
/// `hex(N):` with continuation lines after a trailing backslash, and `-`
/// (delete). In 5.00 files the data of hex(1), hex(2) and hex(7) is
/// UTF-16LE and is narrowed to 8-bit text as the `A` functions do.
///
/// Never fails: a malformed line is skipped (a broken section line too,
/// so the values after it stay in the current key); values after an
/// ignored hive's section or a key deletion are dropped up to the next
/// section. Hex data cut short (at the end of the file, or before a line
/// that cannot continue it) keeps the bytes read so far. In quoted names
/// and texts `\\` and `\"` are escapes; any other backslash is kept as it
/// is. Time and memory are linear in the input. `recognised`, when given,
/// tells whether the header was there.
RegistryTree parseRegeditExport(std::string_view bytes, bool* recognised = nullptr);

/// What became of an export file: read, or why the registry is empty.
enum class RegeditFileState { Loaded, Missing, NotRegular, Unreadable, NotAnExport };

/// Reads and parses the file at `hostPath`; an empty registry when it is
/// missing, not a regular file (see openRegularHostFile) or cannot be read.
/// The file is mapped while it is parsed, not copied (read whole where it
/// cannot be mapped); one shortened while it is parsed counts as unreadable.
RegistryTree loadRegeditFile(const std::string& hostPath, RegeditFileState* state = nullptr);

}  // namespace platform::posix
