// Portable interface to dynamic libraries (LoadLibraryA, GetProcAddress,
// FreeLibrary, GetLastError, SetErrorMode). On POSIX hosts "wsock32" is
// built in (a Winsock 1.1 over BSD sockets, see winsock_abi.h) and any other
// library is searched for as a file, as the emulated machine would.
#pragma once

#include <cstdint>

namespace platform {

using ModuleHandle = void*;
using ProcedureAddress = void (*)();

constexpr std::uint32_t ErrorModFailCriticalErrors = 1;  // SEM_FAILCRITICALERRORS
constexpr std::uint32_t ErrorModNotFound = 126;          // ERROR_MOD_NOT_FOUND
constexpr std::uint32_t ErrorProcNotFound = 127;         // ERROR_PROC_NOT_FOUND
constexpr std::uint32_t ErrorBadExeFormat = 193;         // ERROR_BAD_EXE_FORMAT

/// Null on failure; lastError() then tells why.
ModuleHandle loadLibrary(const char* fileName);
/// Null when the module has no such procedure.
ProcedureAddress procedureAddress(ModuleHandle module, const char* name);
bool freeLibrary(ModuleHandle module);
/// The error code of the last failed call of this interface.
std::uint32_t lastError();
/// Sets the process error mode and returns the previous one.
std::uint32_t setErrorMode(std::uint32_t mode);

}  // namespace platform
