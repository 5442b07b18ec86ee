// Win32 backend only: dynamic libraries through the Win32 loader.
#include "platform/library.h"

#include <windows.h>

#include "platform/host.h"

namespace platform {

ModuleHandle host::loadLibrary(const char* fileName) {
  return LoadLibraryA(fileName);
}

ProcedureAddress procedureAddress(ModuleHandle module, const char* name) {
  return reinterpret_cast<ProcedureAddress>(GetProcAddress(static_cast<HMODULE>(module), name));
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
