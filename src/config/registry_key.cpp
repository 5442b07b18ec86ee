#include "config/registry_key.h"

#include <cstdio>

#include "platform/system_info.h"

using platform::RegistryAccess;
using platform::RegistrySuccess;

void RegistryKey::close() {
  if (current_ != platform::LocalMachineKey) platform::registryCloseKey(current_);
  current_ = platform::LocalMachineKey;
}

void RegistryKey::growBuffer(std::size_t size) {
  if (buffer_.size() < size) buffer_.resize(size);
}

bool RegistryKey::openPath(const Str& path) {
  close();
  Tokenizer pieces(path, '\\', true);
  for (Str piece = pieces.nextToken(); !piece.empty(); piece = pieces.nextToken()) {
    platform::RegistryHandle opened = 0;
    if (platform::registryOpenKey(current_, piece.c_str(), RegistryAccess::QueryValue, opened) !=
        RegistrySuccess) {
      return false;
    }
    close();
    current_ = opened;
  }
  return true;
}

Str RegistryKey::queryString(const Str& subKey, const Str& valueName) {
  platform::RegistryHandle key = 0;
  if (platform::registryOpenKey(current_, subKey.c_str(), RegistryAccess::QueryValue, key) !=
      RegistrySuccess) {
    return Str();
  }
  Str text = readString(key, valueName);
  platform::registryCloseKey(key);
  return text;
}

Str RegistryKey::queryOwnString(const Str& valueName) {
  return readString(current_, valueName);
}

Str RegistryKey::readString(platform::RegistryHandle key, const Str& valueName) {
  // A buffer already large enough (with room for the NUL added below)
  // serves in one query; the size is asked first only for a larger value.
  if (buffer_.size() > 1) {
    std::uint32_t room = static_cast<std::uint32_t>(buffer_.size() - 1);
    const long status =
        platform::registryQueryValue(key, valueName.c_str(), nullptr, buffer_.data(), &room);
    if (status == RegistrySuccess) {
      buffer_[room] = '\0';
      return Str(reinterpret_cast<const char*>(buffer_.data()));
    }
    if (status != platform::RegistryMoreData) return Str();
  }
  std::uint32_t size = 0;
  if (platform::registryQueryValue(key, valueName.c_str(), nullptr, nullptr, &size) ==
      RegistrySuccess) {
    growBuffer(static_cast<std::size_t>(size) + 1);
    std::uint32_t room = static_cast<std::uint32_t>(buffer_.size());
    if (platform::registryQueryValue(key, valueName.c_str(), nullptr, buffer_.data(), &room) ==
        RegistrySuccess) {
      size = room;
    }
  }
  if (buffer_.empty()) return Str();
  if (size >= buffer_.size()) size = static_cast<std::uint32_t>(buffer_.size() - 1);
  buffer_[size] = '\0';
  return Str(reinterpret_cast<const char*>(buffer_.data()));
}

Str RegistryKey::listValueNames(const Str& subKey) {
  platform::RegistryHandle key = 0;
  if (platform::registryOpenKey(current_, subKey.c_str(), RegistryAccess::Read, key) !=
      RegistrySuccess) {
    return Str();
  }
  std::uint32_t count = 0, longest = 0;
  if (platform::registryQueryInfo(key, &count, &longest) != RegistrySuccess) {
    platform::registryCloseKey(key);
    return Str();
  }
  growBuffer(static_cast<std::size_t>(longest) + 1);
  Str names;
  for (std::uint32_t index = count; index-- > 0;) {
    std::uint32_t length = static_cast<std::uint32_t>(buffer_.size());
    char* name = reinterpret_cast<char*>(buffer_.data());
    if (platform::registryEnumValue(key, index, name, &length) != RegistrySuccess) break;
    names.append(Str(name, length));
    if (index == 0) break;
    names.append('\n');
  }
  platform::registryCloseKey(key);
  return names;
}

Str osVersionText() {
  platform::VersionInfo version;
  platform::windowsVersion(version);
  const char* name;
  switch (version.platformId) {
    case platform::PlatformWin32s:
      name = "Windows 3.1 ";
      break;
    case platform::PlatformWindows:
      name = "Windows 95 ";
      break;
    case platform::PlatformNt:
      name = "Windows NT ";
      break;
    default:
      name = "Windows ";
      break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%s%d.%02d", name, static_cast<int>(version.major),
                static_cast<int>(version.minor));
  return Str(text);
}
