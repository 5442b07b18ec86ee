// POSIX backend only: the tree of keys and values that a regedit export
// file gives, and the per-key index that finds a value by its name.
#include <algorithm>
#include <cstdint>

#include "platform/ascii.h"
#include "platform/posix/regedit_parser.h"

namespace platform::posix {

RegistryTree::RegistryTree() : keys_(1) {}

RegistryTree::KeyId RegistryTree::subKey(KeyId parent, std::string_view name) const {
  const auto& subKeys = keys_[parent].subKeys;
  auto found = subKeys.find(ascii::lowered(name));
  return found == subKeys.end() ? NoKey : found->second;
}

std::vector<std::pair<std::string, RegistryTree::KeyId>> RegistryTree::subKeys(KeyId key) const {
  std::vector<std::pair<std::string, KeyId>> found(keys_[key].subKeys.begin(),
                                                   keys_[key].subKeys.end());
  std::sort(found.begin(), found.end());
  return found;
}

const std::vector<RegistryValue>& RegistryTree::values(KeyId key) const {
  return keys_[key].values;
}

const RegistryValue* RegistryTree::findValue(KeyId key, std::string_view name) const {
  const Key& k = keys_[key];
  const std::size_t slot = k.index.findSlot(k.values, name);
  return slot == ValueIndex::None ? nullptr : &k.values[k.index.positionAt(slot)];
}

namespace {

/// FNV-1a of the name with its ASCII letters in lower case.
std::uint64_t foldedHash(std::string_view name) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : name) {
    hash ^= static_cast<unsigned char>(ascii::lower(c));
    hash *= 0x100000001b3ull;
  }
  return hash;
}

}  // namespace

std::size_t RegistryTree::ValueIndex::findSlot(const std::vector<RegistryValue>& values,
                                               std::string_view name) const {
  if (slots_.empty()) return None;
  const std::size_t mask = slots_.size() - 1;
  const auto hash = static_cast<std::uint32_t>(foldedHash(name));
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint64_t entry = slots_[slot];
    const auto position = static_cast<std::uint32_t>(entry);
    if (position == 0) return None;
    if (position != Removed && static_cast<std::uint32_t>(entry >> 32) == hash &&
        ascii::equalIgnoringCase(values[position - 1].name, name)) {
      return slot;
    }
  }
}

void RegistryTree::ValueIndex::add(const std::vector<RegistryValue>& values, std::size_t position) {
  // At most three slots in four in use, so that every probe soon meets a
  // free one: a probe past a slot of another name costs no look at a value.
  if ((used_ + 1) * 4 > slots_.size() * 3) grow(std::max<std::size_t>(16, slots_.size() * 2));
  const std::size_t mask = slots_.size() - 1;
  const auto hash = static_cast<std::uint32_t>(foldedHash(values[position].name));
  std::size_t slot = hash & mask;
  auto free = [this](std::size_t at) {
    const auto p = static_cast<std::uint32_t>(slots_[at]);
    return p == 0 || p == Removed;
  };
  while (!free(slot)) slot = (slot + 1) & mask;
  if (static_cast<std::uint32_t>(slots_[slot]) == 0) ++used_;
  slots_[slot] = (static_cast<std::uint64_t>(hash) << 32) | (position + 1);
}

void RegistryTree::ValueIndex::removeSlot(std::size_t slot) {
  slots_[slot] = Removed;
}

void RegistryTree::ValueIndex::grow(std::size_t slotCount) {
  std::vector<std::uint64_t> old = std::move(slots_);
  slots_.assign(slotCount, 0);
  used_ = 0;
  const std::size_t mask = slotCount - 1;
  for (std::uint64_t entry : old) {
    const auto position = static_cast<std::uint32_t>(entry);
    if (position == 0 || position == Removed) continue;
    std::size_t slot = static_cast<std::uint32_t>(entry >> 32) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = entry;
    ++used_;
  }
}

void RegistryTree::ValueIndex::rebuild(const std::vector<RegistryValue>& values) {
  slots_.clear();
  used_ = 0;
  std::size_t count = 16;
  while (count * 3 < (values.size() + 1) * 4) count *= 2;
  grow(count);
  for (std::size_t i = 0; i < values.size(); ++i) add(values, i);
}

std::size_t RegistryTree::longestValueName(KeyId key) const {
  return keys_[key].longestValueName;
}

}  // namespace platform::posix
