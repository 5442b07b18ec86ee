// POSIX backend only: the registry of the emulated machine, HKEY_LOCAL_MACHINE
// as its registry.reg describes it, behind the Win32 registry calls.
#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/host.h"
#include "platform/posix/machine.h"
#include "platform/posix/regedit_parser.h"

namespace platform {

const RegistryHandle LocalMachineKey = 0x80000002u;

namespace {

using posix::RegistryTree;
using posix::RegistryValue;

/// An open key. It holds on to the registry it was opened in, so a handle
/// stays valid (and reads the same data) until it is closed, even after
/// another machine has been selected.
struct OpenKey {
  std::shared_ptr<const RegistryTree> tree;
  RegistryTree::KeyId key = RegistryTree::NoKey;
};

class EmulatedRegistry {
 public:
  static EmulatedRegistry& instance() {
    static EmulatedRegistry registry;
    return registry;
  }

  /// The key behind a handle; false for a handle that is not open.
  bool find(RegistryHandle handle, OpenKey& open) {
    if (handle == LocalMachineKey) {
      open.tree = currentTree();
      open.key = RegistryTree::Root;
      return true;
    }
    auto found = handles_.find(handle);
    if (found == handles_.end()) return false;
    open = found->second;
    return true;
  }

  RegistryHandle add(OpenKey open) {
    // Handles look like the small aligned numbers Windows gives and never
    // collide with the predefined keys (0x80000000 and up).
    do {
      nextHandle_ += 4;
      if (nextHandle_ >= 0x80000000u) nextHandle_ = FirstHandle;
    } while (handles_.count(nextHandle_) != 0);
    handles_.emplace(nextHandle_, std::move(open));
    return nextHandle_;
  }

  bool close(RegistryHandle handle) { return handles_.erase(handle) != 0; }

 private:
  static constexpr RegistryHandle FirstHandle = 0x100;

  /// The registry of the selected machine, read again whenever another
  /// machine is selected.
  std::shared_ptr<const RegistryTree> currentTree() {
    const posix::Machine& machine = posix::Machine::current();
    if (!tree_ || machine.generation() != generation_) {
      generation_ = machine.generation();
      std::string file = machine.machineFile("registry.reg");
      posix::RegeditFileState state = posix::RegeditFileState::Missing;
      tree_ = std::make_shared<const RegistryTree>(
          file.empty() ? RegistryTree() : posix::loadRegeditFile(file, &state));
      // A missing file is an empty registry by design; a file that is there
      // but gives no registry is said to be broken.
      if (state == posix::RegeditFileState::NotRegular) {
        posix::warnAboutMachine("registry.reg is not a regular file", file,
                                "the registry is empty");
      } else if (state == posix::RegeditFileState::Unreadable) {
        posix::warnAboutMachine("registry.reg cannot be read", file, "the registry is empty");
      } else if (state == posix::RegeditFileState::NotAnExport) {
        posix::warnAboutMachine("registry.reg does not start with a regedit export header", file,
                                "the registry is empty");
      }
    }
    return tree_;
  }

  std::shared_ptr<const RegistryTree> tree_;
  std::uint64_t generation_ = 0;
  std::unordered_map<RegistryHandle, OpenKey> handles_;
  RegistryHandle nextHandle_ = FirstHandle;
};

EmulatedRegistry& registry() {
  return EmulatedRegistry::instance();
}

}  // namespace

long host::registryOpenKey(RegistryHandle parent, const char* subKey, RegistryAccess,
                           RegistryHandle& result) {
  OpenKey open;
  if (!registry().find(parent, open)) return RegistryInvalidHandle;
  std::string_view path = subKey ? subKey : "";
  // As in the Windows build under Wine: a leading backslash is refused,
  // doubled and trailing ones are passed over.
  if (!path.empty() && path[0] == '\\') return RegistryNotFound;
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) {
      open.key = open.tree->subKey(open.key, path.substr(start, end - start));
      if (open.key == RegistryTree::NoKey) return RegistryNotFound;
    }
    start = end + 1;
  }
  result = registry().add(std::move(open));
  return RegistrySuccess;
}

long host::registryQueryValue(RegistryHandle key, const char* name, std::uint32_t* type,
                              unsigned char* data, std::uint32_t* size) {
  OpenKey open;
  if (!registry().find(key, open)) return RegistryInvalidHandle;
  const RegistryValue* value = open.tree->findValue(open.key, name ? name : "");
  if (value == nullptr) return RegistryNotFound;
  if (data != nullptr && size == nullptr) return RegistryInvalidParameter;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  long status = RegistrySuccess;
  if (data != nullptr) {
    if (*size < needed) {
      status = RegistryMoreData;
    } else {
      std::memcpy(data, value->data.data(), needed);
    }
  }
  if (type) *type = value->type;
  if (size) *size = needed;
  return status;
}

long host::registryQueryInfo(RegistryHandle key, std::uint32_t* valueCount,
                             std::uint32_t* longestValueName) {
  OpenKey open;
  if (!registry().find(key, open)) return RegistryInvalidHandle;
  if (valueCount) *valueCount = static_cast<std::uint32_t>(open.tree->values(open.key).size());
  if (longestValueName) {
    *longestValueName = static_cast<std::uint32_t>(open.tree->longestValueName(open.key));
  }
  return RegistrySuccess;
}

long host::registryEnumValue(RegistryHandle key, std::uint32_t index, char* name,
                             std::uint32_t* nameLength) {
  OpenKey open;
  if (!registry().find(key, open)) return RegistryInvalidHandle;
  if (name == nullptr || nameLength == nullptr) return RegistryInvalidParameter;
  const auto& values = open.tree->values(open.key);
  if (index >= values.size()) return RegistryNoMoreItems;
  const std::string& valueName = values[index].name;
  if (*nameLength <= valueName.size()) return RegistryMoreData;
  std::memcpy(name, valueName.data(), valueName.size());
  name[valueName.size()] = '\0';
  *nameLength = static_cast<std::uint32_t>(valueName.size());
  return RegistrySuccess;
}

long host::registryCloseKey(RegistryHandle key) {
  if (key == LocalMachineKey) return RegistrySuccess;
  return registry().close(key) ? RegistrySuccess : RegistryInvalidHandle;
}

}  // namespace platform
