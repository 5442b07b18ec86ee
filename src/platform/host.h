// The backends' own functions behind the portable interfaces that
// recording.cpp defines: each public function of file_system.h,
// environment.h, registry.h, system_info.h and loadLibrary of library.h
// calls its namesake here and then tells the installed access recorder what
// was asked and answered. Only the platform layer includes this header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/library.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace platform::host {

bool fileMode(const std::string& path, unsigned& mode);
bool isReadable(const std::string& path);
std::string currentDirectory();
std::string currentDirectoryOfDrive(int drive);

/// The same as platform::DirectorySearch, unrecorded.
class DirectorySearch {
 public:
  DirectorySearch();
  ~DirectorySearch();
  DirectorySearch(DirectorySearch&&) noexcept;
  DirectorySearch& operator=(DirectorySearch&&) noexcept;
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  bool first(const std::string& pattern, std::string& name);
  bool next(std::string& name);
  void close();
  /// Whether the last first() failed because the folder may not be listed.
  bool denied() const { return denied_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  bool denied_ = false;
};

bool environmentVariable(const std::string& name, std::string& value);

long registryOpenKey(RegistryHandle parent, const char* subKey, RegistryAccess access,
                     RegistryHandle& result);
long registryQueryValue(RegistryHandle key, const char* name, std::uint32_t* type,
                        unsigned char* data, std::uint32_t* size);
long registryQueryInfo(RegistryHandle key, std::uint32_t* valueCount,
                       std::uint32_t* longestValueName);
long registryEnumValue(RegistryHandle key, std::uint32_t index, char* name,
                       std::uint32_t* nameLength);
long registryCloseKey(RegistryHandle key);

bool windowsVersion(VersionInfo& info);
std::string windowsDirectory();

ModuleHandle loadLibrary(const char* fileName);

/// The size of a file; false when the path is no file.
bool fileSize(const std::string& path, std::uint64_t& size);

}  // namespace platform::host
