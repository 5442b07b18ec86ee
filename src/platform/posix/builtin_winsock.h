// POSIX backend only: the built-in "wsock32", a Winsock 1.1 over BSD
// sockets with the procedures and layouts of platform/winsock_abi.h.
#pragma once

#include "platform/library.h"

namespace platform::posix {

/// The procedure of the built-in wsock32 named `name` (exact letter case,
/// as GetProcAddress compares); null for any other name. Faults are the
/// caller's business.
ProcedureAddress builtinWinsockProcedure(const char* name);

/// True when the current machine has a `network` file: the built-in
/// wsock32 then answers from the recorded calls it holds (winsock_replay.cpp).
bool networkReplayActive();

/// The procedure of the replaying wsock32 named `name`; null for any other
/// name, as builtinWinsockProcedure.
ProcedureAddress replayWinsockProcedure(const char* name);

}  // namespace platform::posix
