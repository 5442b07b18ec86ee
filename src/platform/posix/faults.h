// POSIX backend only: the faults that a test machine asks for in its
// "faults" file (see docs: "Faults for tests"). Nothing above the platform
// layer knows of them.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

namespace platform::posix {

/// A host file as the host describes it: a file written or replaced since a
/// cached reading of it differs in one of these. For the machine files read
/// once and read again only after they change.
struct HostFileIdentity {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  struct timespec modified {};

  /// The identity of the file at `hostPath`; false when there is none.
  bool describe(const std::string& hostPath);
  bool operator==(const HostFileIdentity& other) const;
};

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
