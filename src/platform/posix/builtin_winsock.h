// POSIX backend only: the built-in "wsock32", a Winsock 1.1 over BSD
// sockets with the procedures and layouts of platform/winsock_abi.h.
#pragma once

#include "platform/library.h"

namespace platform::posix {

/// The procedure of the built-in wsock32 named `name` (exact letter case,
/// as GetProcAddress compares); null for any other name. Faults are the
/// caller's business.
ProcedureAddress builtinWinsockProcedure(const char* name);

}  // namespace platform::posix
