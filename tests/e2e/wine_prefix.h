// The Windows build under Wine: one Wine prefix per test run stands in for
// the machine directory of each test in turn.
//
// The prefix is 32-bit or 64-bit (WOW64), as ZORIVT_E2E_WINEARCH (win32 or
// win64) asks when it is created. Every Wine program runs through Wine's
// 32-bit loader, the checker as well as regedit: in a 64-bit prefix the
// machine's registry is thus imported into the 32-bit registry view, where
// a 32-bit installer writes, and the 32-bit checker must find it there.
//
// Booting the prefix (once per run) creates it when it is new, starts a
// persistent wineserver with Wine's own services, empties the environment
// that Wine would give every process from its registry, and keeps a copy of
// HKEY_LOCAL_MACHINE as it was then. Before each run of the checker the
// prefix takes on the test's machine:
//
// - its drive letters point at the machine's drive_<letter> directories
//   (z: at the host root unless the machine has drive_z), so that the
//   machine's drive_c is the prefix's drive C;
// - the Windows directory, which Wine always puts at C:\windows, is grafted
//   into the machine's drive_c as links to the prefix's own files, beside
//   the test's own files there (booting removed the prefix's
//   system32\drivers\etc: the TCP/IP configuration is the test's alone);
//   the checker is linked in there too, so that it runs by its name as if
//   typed at a console prompt (its argv[0] is then "zorivt");
// - the registry loses what the previous test imported (keys Wine did not
//   have are deleted, values of keys it had take their booted values back,
//   both found with the checker's own registry parser; a test may not
//   delete a key or a value Wine has) and gets the machine's
//   registry.reg through Wine's regedit (in the encoding that goes with its
//   version line, which Windows' regedit goes by), and Wine's version
//   setting follows the Windows version that registry names.
//
// After the run the graft is removed and drive C points at the prefix's own
// files again, so nothing of it is left in the test's folder.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace e2e::wine {

/// An environment as the Windows program is to see it.
using Environment = std::vector<std::pair<std::string, std::string>>;

/// The host environment strings of a Wine process whose Windows side sees
/// exactly `environment` (plus the variables Wine always adds).
std::vector<std::string> hostEnvironment(const std::filesystem::path& prefix,
                                         const Environment& environment);

/// The prefix of this test process: the one named by ZORIVT_E2E_WINEPREFIX
/// (booted there when it is not yet), or else one booted in a temporary
/// folder on first use and removed when the process ends.
const std::filesystem::path& currentPrefix();

/// Boots `prefix` (creating it when needed). False with a reason on failure.
bool boot(const std::filesystem::path& prefix, std::string& error);

/// Stops the prefix's wineserver and every Wine process of it.
void stop(const std::filesystem::path& prefix);

/// Lends the prefix to `machine` (see above), with `program` installed in
/// its Windows directory; undone on destruction.
class MachineLease {
 public:
  MachineLease(const std::filesystem::path& prefix, const std::filesystem::path& machine,
               const std::filesystem::path& program);
  ~MachineLease();
  MachineLease(const MachineLease&) = delete;
  MachineLease& operator=(const MachineLease&) = delete;

  /// Empty when the machine is in place, else what went wrong.
  const std::string& error() const { return error_; }

 private:
  void graft(const std::filesystem::path& from, const std::filesystem::path& to);
  void importRegistry();

  std::filesystem::path prefix_;
  std::filesystem::path machine_;
  std::vector<std::filesystem::path> created_;  // in order of creation
  std::string error_;
};

/// Runs `program` under Wine in the prefix, called by its name (the lease
/// installed it), in the host directory `workingDirectory`, its output to
/// files; the exit status, or -1 when it did not end within
/// `timeoutSeconds`.
int run(const std::filesystem::path& prefix, const std::filesystem::path& program,
        const std::vector<std::string>& arguments, const Environment& environment,
        const std::filesystem::path& workingDirectory, const std::filesystem::path& outFile,
        const std::filesystem::path& errFile, int timeoutSeconds);

}  // namespace e2e::wine
