// POSIX backend only: the emulated NT machine described by the directory in
// ZORIVT_MACHINE (drives, current directories, path resolution). Every other
// file of this backend maps Windows paths through it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_info.h"

namespace platform::posix {

/// What a snapshot's optional files `environment`, `cwd` and `system` say
/// (see docs/emulated-machine.md); each part is unset without its file or
/// line.
struct RecordedState {
  bool hasEnvironment = false;
  std::vector<std::pair<std::string, std::string>> environment;  // in the file's order
  std::string currentDirectory;                                  // empty without `cwd`
  std::string driveDirectories[26];                              // the per-drive lines of `cwd`
  bool hasVersion = false;
  VersionInfo version;
  std::string windowsDirectory;  // empty without its line
  struct Library {
    std::string name;
    std::uint32_t error = 0;  // 0: loaded
  };
  std::vector<Library> libraries;
};

/// Reads the text of a snapshot's `environment`, `cwd` and `system` files
/// into `state` (a missing text is passed as null). Malformed lines are
/// skipped.
void parseRecordedState(const std::string* environment, const std::string* cwd,
                        const std::string* system, RecordedState& state);

class Machine {
 public:
  /// The machine of the current ZORIVT_MACHINE value; it is loaded again
  /// when that value changes (tests switch machines within one process).
  static const Machine& current();

  /// Host path of the machine directory; empty when none is selected.
  const std::string& directory() const { return directory_; }
  /// Grows whenever another machine is loaded, so caches can notice.
  std::uint64_t generation() const { return generation_; }

  /// Host path of the machine file `name` (registry.reg, faults); empty
  /// without a machine directory.
  std::string machineFile(const char* name) const;

  /// Host root of a drive (letter in either case); false when unmapped.
  bool driveRoot(char letter, std::string& root) const;

  /// Resolves a Windows path to a host path. Components match exactly, else
  /// ignoring ASCII case. With `lastMayBeMissing` the last component need not
  /// exist (a file about to be created) and keeps its own spelling. With
  /// `actual`, that is set to the full Windows path with the host entries'
  /// spelling ("c:\Corvanta\zorpzcfg.prf"); links are not followed.
  bool resolve(const std::string& windowsPath, std::string& hostPath, bool lastMayBeMissing = false,
               std::string* actual = nullptr) const;

  /// Windows form of a host path: x:\... inside drive_x, else z:\...
  std::string windowsPathOf(const std::string& hostPath) const;

  /// Current directory as a Windows path; empty when the host has none.
  std::string currentDirectory() const;
  /// Current directory of drive 1 = A:, ...; the root of a mapped drive
  /// other than the current one; empty for an unmapped drive.
  std::string currentDirectoryOfDrive(int drive) const;

  /// The recorded state a snapshot brings along.
  const RecordedState& recorded() const { return recorded_; }

 private:
  void load(const std::string& setting);

  std::string setting_;
  std::string directory_;
  std::string driveRoots_[26];
  std::uint64_t generation_ = 0;
  RecordedState recorded_;
};

/// Writes one line on standard error about a machine that cannot be read as
/// it is described: "zorivt: machine: <problem>: <host path>; <consequence>".
/// Control characters of the path show as "?".
void warnAboutMachine(const char* problem, const std::string& hostPath, const char* consequence);

/// How an attempt to open a host file for reading ended.
enum class HostOpen { Opened, Missing, NotRegular, Unreadable };

/// Opens a host file for reading when it is a regular file that holds what
/// its size says. Refused as NotRegular: a FIFO, device, socket or directory,
/// and a pseudo-file (its size 0, yet it yields bytes or would block), whose
/// reading may never end. Neither the open nor the check can block. On
/// Opened, `descriptor` is the open file (blocking reads, close-on-exec)
/// and `size`, when given, its size.
HostOpen openRegularHostFile(const std::string& hostPath, int& descriptor,
                             std::uint64_t* size = nullptr);

/// The same as a stdio stream for binary reading; null unless Opened.
std::FILE* openRegularHostStream(const std::string& hostPath);

/// Matches a name against a Windows search pattern ("*" and "?"),
/// ignoring ASCII case.
bool matchSearchPattern(const std::string& name, const std::string& pattern);

}  // namespace platform::posix
