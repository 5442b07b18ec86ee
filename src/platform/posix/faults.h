// POSIX backend only: the faults that a test machine asks for in its
// "faults" file (see docs: "Faults for tests"). Nothing above the platform
// layer knows of them.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

struct Faults {
  bool wsock32Missing = false;                // wsock32 missing
  bool startupFails = false;                  // wsock32 startup-fails
  bool rawSocketsDenied = false;              // raw-sockets denied
  bool rawSocketsUnsupported = false;         // raw-sockets unsupported
  bool resolverHostsOnly = false;             // resolver hosts-only
  std::vector<std::string> lackedProcedures;  // wsock32 lacks NAME

  bool lacks(const char* procedure) const;
};

/// The faults of the current machine, from its faults file as it is now: the
/// file is read again only after it has changed, so that a test may write it
/// at any time. No machine directory, no file, one that is not a regular
/// file, or an unreadable one: no faults. Blank lines, lines starting
/// with "#" and unknown lines are ignored; keywords ignore letter case,
/// procedure names do not.
Faults currentFaults();

}  // namespace platform::posix
