// POSIX backend only: LoadLibraryA and friends on the emulated machine.
// "wsock32" is built in; any other library is a file searched in the
// Windows order, which loads when it looks like an executable image but
// offers no procedure. A library the machine's `system` file names loads or
// fails as it says.
#include "platform/library.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/environment.h"
#include "platform/host.h"
#include "platform/network_recording.h"
#include "platform/posix/builtin_winsock.h"
#include "platform/posix/faults.h"
#include "platform/posix/machine.h"
#include "platform/system_info.h"

namespace platform {
namespace {

constexpr std::uint32_t ErrorInvalidHandle = 6;  // ERROR_INVALID_HANDLE

struct LoadedModule {
  std::string key;  // host path of the file, or the built-in's name
  bool builtIn = false;
  long references = 1;
};

// Never destroyed: a library may be freed by a static destructor (the socket
// session's) after this file's statics would otherwise be gone.
std::vector<LoadedModule*>& loadedModules() {
  static auto* modules = new std::vector<LoadedModule*>();
  return *modules;
}

thread_local std::uint32_t lastErrorCode = 0;
std::uint32_t processErrorMode = 0;

bool hasDirectoryPart(const std::string& name) {
  return name.find_first_of("\\/:") != std::string::npos;
}

/// LoadLibraryA's name rule: ".dll" is appended when the file name has no
/// extension; a trailing dot means "no extension" and is dropped.
std::string withLibraryExtension(const std::string& name) {
  std::size_t start = name.find_last_of("\\/:");
  start = start == std::string::npos ? 0 : start + 1;
  if (!name.empty() && name.back() == '.') return name.substr(0, name.size() - 1);
  if (name.find('.', start) == std::string::npos) return name + ".dll";
  return name;
}

bool isHostRegularFile(const std::string& host) {
  struct stat st;
  return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

/// The host path of the library file: a name with a directory part is taken
/// as it is; a bare name is looked for in the system directory, the Windows
/// directory, the current directory and the PATH directories, in that order.
bool findLibraryFile(const std::string& name, std::string& host) {
  const posix::Machine& machine = posix::Machine::current();
  auto tryPath = [&](const std::string& windowsPath) {
    std::string candidate;
    if (!machine.resolve(windowsPath, candidate) || !isHostRegularFile(candidate)) return false;
    host = candidate;
    return true;
  };
  if (hasDirectoryPart(name)) return tryPath(name);

  std::vector<std::string> directories;
  const std::string windows = host::windowsDirectory();
  if (!windows.empty()) {
    directories.push_back(windows + "\\system32");
    directories.push_back(windows);
  }
  directories.push_back(machine.currentDirectory());
  std::string path;
  if (host::environmentVariable("PATH", path)) {
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find(';', start);
      if (end == std::string::npos) end = path.size();
      std::string entry = path.substr(start, end - start);
      std::size_t first = entry.find_first_not_of(" \t");
      std::size_t last = entry.find_last_not_of(" \t");
      if (first != std::string::npos) directories.push_back(entry.substr(first, last - first + 1));
      start = end + 1;
    }
  }
  for (const std::string& directory : directories) {
    if (directory.empty()) continue;
    const char separator = directory.back() == '\\' || directory.back() == '/' ? '\0' : '\\';
    if (tryPath(separator ? directory + separator + name : directory + name)) return true;
  }
  return false;
}

bool startsWithImageSignature(const std::string& host) {
  std::FILE* file = posix::openRegularHostStream(host);
  if (file == nullptr) return false;
  char signature[2] = {0, 0};
  std::size_t count = std::fread(signature, 1, 2, file);
  std::fclose(file);
  return count == 2 && signature[0] == 'M' && signature[1] == 'Z';
}

ModuleHandle attach(const std::string& key, bool builtIn) {
  for (LoadedModule* module : loadedModules()) {
    if (module->key == key) {
      ++module->references;
      return module;
    }
  }
  auto* module = new LoadedModule{key, builtIn, 1};
  loadedModules().push_back(module);
  return module;
}

LoadedModule* findModule(ModuleHandle handle) {
  for (LoadedModule* module : loadedModules()) {
    if (module == handle) return module;
  }
  return nullptr;
}

ModuleHandle fail(std::uint32_t code) {
  lastErrorCode = code;
  return nullptr;
}

}  // namespace

ModuleHandle host::loadLibrary(const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') return fail(ErrorModNotFound);
  const std::string name = withLibraryExtension(fileName);
  if (!hasDirectoryPart(name) && ascii::equalIgnoringCase(name, "wsock32.dll")) {
    if (posix::currentFaults().wsock32Missing) return fail(ErrorModNotFound);
    // A snapshot of a machine whose wsock32 would not load says so.
    for (const auto& library : posix::Machine::current().recorded().libraries) {
      if (library.error != 0 &&
          ascii::equalIgnoringCase(withLibraryExtension(library.name), name)) {
        return fail(library.error);
      }
    }
    return attach("wsock32.dll", true);
  }
  for (const auto& library : posix::Machine::current().recorded().libraries) {
    if (!ascii::equalIgnoringCase(library.name, fileName)) continue;
    if (library.error != 0) return fail(library.error);
    return attach("recorded:" + ascii::lowered(library.name), false);
  }
  std::string host;
  if (!findLibraryFile(name, host)) return fail(ErrorModNotFound);
  if (!startsWithImageSignature(host)) return fail(ErrorBadExeFormat);
  return attach(host, false);
}

ProcedureAddress procedureAddress(ModuleHandle handle, const char* name) {
  LoadedModule* module = findModule(handle);
  if (module == nullptr) {
    lastErrorCode = ErrorInvalidHandle;
    return nullptr;
  }
  ProcedureAddress address = nullptr;
  const bool replay = module->builtIn && posix::networkReplayActive();
  if (module->builtIn && name != nullptr && !posix::currentFaults().lacks(name) &&
      !(replay && posix::replayLacksProcedure(name))) {
    auto procedure = replay ? posix::replayWinsockProcedure : posix::builtinWinsockProcedure;
    address = procedure(name);
  }
  if (module->builtIn && name != nullptr && networkRecordingActive()) {
    address = recordingProcedure(name, address, posix::builtinWinsockProcedure("WSAGetLastError"));
  }
  if (address == nullptr) lastErrorCode = ErrorProcNotFound;
  return address;
}

bool freeLibrary(ModuleHandle handle) {
  LoadedModule* module = findModule(handle);
  if (module == nullptr) {
    lastErrorCode = ErrorInvalidHandle;
    return false;
  }
  if (--module->references == 0) {
    std::vector<LoadedModule*>& modules = loadedModules();
    for (auto it = modules.begin(); it != modules.end(); ++it) {
      if (*it == module) {
        modules.erase(it);
        break;
      }
    }
    delete module;
  }
  return true;
}

std::uint32_t lastError() {
  return lastErrorCode;
}

std::uint32_t setErrorMode(std::uint32_t mode) {
  std::uint32_t previous = processErrorMode;
  processErrorMode = mode;
  return previous;
}

}  // namespace platform
