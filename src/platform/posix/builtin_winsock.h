// POSIX backend only: the built-in "wsock32", a Winsock 1.1 over BSD
// sockets with the procedures and layouts of platform/winsock_abi.h.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/library.h"

namespace platform::posix {

/// A procedure of a socket library table, by its exported name.
struct WinsockExport {
  const char* name;
  ProcedureAddress address;
};

/// A table entry's address; the explicit type argument makes each
/// procedure's signature match the one the checker binds it as.
template <typename Fn>
ProcedureAddress exported(Fn procedure) {
  return reinterpret_cast<ProcedureAddress>(procedure);
}

/// The address of the table's procedure named `name` (exact letter case, as
/// GetProcAddress compares); null for a null name or one it lacks.
template <std::size_t N>
ProcedureAddress findExport(const WinsockExport (&table)[N], const char* name) {
  if (name == nullptr) return nullptr;
  for (const WinsockExport& e : table) {
    if (std::strcmp(e.name, name) == 0) return e.address;
  }
  return nullptr;
}

/// The procedure of the built-in wsock32 named `name` (exact letter case,
/// as GetProcAddress compares); null for any other name. Faults are the
/// caller's business.
ProcedureAddress builtinWinsockProcedure(const char* name);

/// True when the current machine has a `network` file: the built-in
/// wsock32 then answers from the recorded calls it holds (winsock_replay.cpp).
bool networkReplayActive();

/// Whether the recorded wsock32 lacked the procedure `name` (its binding
/// failed when the calls were recorded).
bool replayLacksProcedure(const char* name);

/// The procedure of the replaying wsock32 named `name`; null for any other
/// name, as builtinWinsockProcedure.
ProcedureAddress replayWinsockProcedure(const char* name);

}  // namespace platform::posix
