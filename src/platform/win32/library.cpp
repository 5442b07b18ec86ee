// Win32 backend only: dynamic libraries through the Win32 loader. While the
// network is recorded, wsock32's procedures are handed out wrapped.
#include "platform/library.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/ascii.h"
#include "platform/host.h"
#include "platform/network_recording.h"

namespace platform {
namespace {

/// The module the name "wsock32" loaded (the loader gives one module the
/// same handle however often it is loaded).
HMODULE socketModule = nullptr;

/// Whether LoadLibraryA's name is wsock32's: "wsock32" with or without
/// ".dll" (or a trailing dot), after any directory, in any letter case.
bool namesSocketLibrary(const char* fileName) {
  std::string name = fileName;
  const std::size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  if (!name.empty() && name.back() == '.') name.pop_back();
  if (ascii::equalIgnoringCase(name, "wsock32.dll")) return true;
  return ascii::equalIgnoringCase(name, "wsock32");
}

}  // namespace

ModuleHandle host::loadLibrary(const char* fileName) {
  HMODULE module = LoadLibraryA(fileName);
  if (module != nullptr && fileName != nullptr && namesSocketLibrary(fileName)) {
    socketModule = module;
  }
  return module;
}

ProcedureAddress procedureAddress(ModuleHandle module, const char* name) {
  const HMODULE handle = static_cast<HMODULE>(module);
  auto address = reinterpret_cast<ProcedureAddress>(GetProcAddress(handle, name));
  // A name below 0x10000 is an ordinal, which the checker does not bind.
  const bool byName = reinterpret_cast<std::uintptr_t>(name) > 0xFFFF;
  if (byName && handle == socketModule && networkRecordingActive()) {
    // A procedure it lacks is recorded as well; the caller still reads the
    // error of its own GetProcAddress.
    const DWORD error = GetLastError();
    const auto lastError =
        reinterpret_cast<ProcedureAddress>(GetProcAddress(handle, "WSAGetLastError"));
    address = recordingProcedure(name, address, lastError);
    SetLastError(error);
  }
  return address;
}

bool freeLibrary(ModuleHandle module) {
  return FreeLibrary(static_cast<HMODULE>(module)) != 0;
}

std::uint32_t lastError() {
  return GetLastError();
}

std::uint32_t setErrorMode(std::uint32_t mode) {
  return SetErrorMode(mode);
}

}  // namespace platform
