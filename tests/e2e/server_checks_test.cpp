// The runtime, notification and delivery server checks: their tuning
// variables and limits.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

/// The database-client check's one line on the machines below: the
/// database is on another host.
const char* const Remote = "CHK0217I: The database server is on host dbhost.";

/// A machine with the server `executable` installed and the database
/// settings in order.
void prepareServer(TestMachine& machine, const char* executable) {
  machine.file(std::string("drive_c/") + executable, "")
      .env("OS_ROOTDIR", "c:\\ostore")
      .env("OS_RELOPT_THRESH", "0")
      .env("ZOR_DB_PATH", "c:\\data")
      .env("ZOR_HOST", "dbhost");
}

const char* const RuntimeServer = "CHK0051I: ===> R/T Server found, checks started.";

/// Expects the whole log of a run on such a machine, `block` being the
/// server's.
void expectServerLog(const RunResult& run, int exitStatus, const std::vector<std::string>& block) {
  EXPECT_WHOLE_LOG(run, exitStatus, e2e::machineLog("c:\\", {block}));
}

}  // namespace

// An item limit of 0, or one that is not numeric, means no limit.
TEST(ServerChecks, ItemLimitOfZeroIsUnlimited) {
  TestMachine machine;
  prepareServer(machine, "zorpesrv.exe");
  expectServerLog(machine.env("ZOR_MAXPROC_ITEMS", "0").run({}), 0,
                  {RuntimeServer, Remote, "CHK0013I: Variable ZOR_MAXPROC_ITEMS = 0.",
                   "CHK0013I: Variable ZOR_MAXPROC_ITEMS = <unlimited>."});
  expectServerLog(
      machine.env("ZOR_MAXPROC_ITEMS", "many").run({}), 0,
      {RuntimeServer, Remote, "CHK0012R: Variable ZOR_MAXPROC_ITEMS is not numeric (many).",
       "CHK0013I: Variable ZOR_MAXPROC_ITEMS = <unlimited>."});
  expectServerLog(machine.env("ZOR_MAXPROC_ITEMS", "5").run({}), 0,
                  {RuntimeServer, Remote, "CHK0013I: Variable ZOR_MAXPROC_ITEMS = 5."});
}

// ZOR_RECOVER_CLIENTS is NO only for "no" in any letter case; ZOR_UNSAVE_INVOKE
// with any value is YES.
TEST(ServerChecks, RecoverClientsIsNoOnlyForNo) {
  TestMachine machine;
  prepareServer(machine, "zorpesrv.exe");
  expectServerLog(machine.env("ZOR_RECOVER_CLIENTS", "No").env("ZOR_UNSAVE_INVOKE", "no").run({}),
                  0,
                  {RuntimeServer, Remote, "CHK0013I: Variable ZOR_UNSAVE_INVOKE = YES.",
                   "CHK0013I: Variable ZOR_RECOVER_CLIENTS = NO."});
  expectServerLog(machine.env("ZOR_RECOVER_CLIENTS", "0").unsetEnv("ZOR_UNSAVE_INVOKE").run({}), 0,
                  {RuntimeServer, Remote, "CHK0013I: Variable ZOR_RECOVER_CLIENTS = YES."});
}

// OS_AS_SIZE must not be smaller than ZOR_SEGMENT_SIZE; without OS_AS_SIZE
// nothing is compared.
TEST(ServerChecks, AddressSpaceMustHoldASegment) {
  TestMachine machine;
  prepareServer(machine, "zorpesrv.exe");
  machine.env("ZOR_SEGMENT_SIZE", "1000");
  expectServerLog(machine.env("OS_AS_SIZE", "1000").run({}), 0,
                  {RuntimeServer, "CHK0013I: Variable OS_AS_SIZE = 1000.", Remote,
                   "CHK0013I: Variable ZOR_SEGMENT_SIZE = 1000."});
  expectServerLog(machine.env("OS_AS_SIZE", "999").run({}), 0,
                  {RuntimeServer, "CHK0013I: Variable OS_AS_SIZE = 999.", Remote,
                   "CHK0013I: Variable ZOR_SEGMENT_SIZE = 1000.",
                   "CHK0106R: OS_AS_SIZE is smaller than ZOR_SEGMENT_SIZE."});
  expectServerLog(machine.unsetEnv("OS_AS_SIZE").run({}), 0,
                  {RuntimeServer, Remote, "CHK0013I: Variable ZOR_SEGMENT_SIZE = 1000."});
}

// The notification interval must be at least 60 seconds, compared unsigned
// (so -1 passes).
TEST(ServerChecks, NotificationIntervalOfAtLeast60) {
  TestMachine machine;
  prepareServer(machine, "zorpwess.exe");
  const char* const header = "CHK0051I: ===> Notification Server found, checks started.";
  expectServerLog(machine.env("ZOR_NOTIF_INT", "59").run({}), 0,
                  {header, Remote, "CHK0013I: Variable ZOR_NOTIF_INT = 59.",
                   "CHK0107A: ZOR_NOTIF_INT is smaller than 60s."});
  expectServerLog(machine.env("ZOR_NOTIF_INT", "60").run({}), 0,
                  {header, Remote, "CHK0013I: Variable ZOR_NOTIF_INT = 60."});
  expectServerLog(machine.env("ZOR_NOTIF_INT", "-1").run({}), 0,
                  {header, Remote, "CHK0013I: Variable ZOR_NOTIF_INT = -1."});
}

// The recheck interval must be at least 600 seconds and not below the
// resend interval; the defaults pass, and so does an equal pair.
TEST(ServerChecks, RecheckIntervalAgainstItsLimitAndTheResendInterval) {
  TestMachine machine;
  prepareServer(machine, "zorpedes.exe");
  const char* const header = "CHK0051I: ===> Delivery Server found, checks started.";
  expectServerLog(machine.run({}), 0,
                  {header, Remote, "CHK0013I: Variable ZOR_RESEND_INT = 120.",
                   "CHK0013I: Variable ZOR_RECHECK_INT = 600."});
  expectServerLog(machine.env("ZOR_RECHECK_INT", "50").env("ZOR_RESEND_INT", "700").run({}), 0,
                  {header, Remote, "CHK0013I: Variable ZOR_RESEND_INT = 700.",
                   "CHK0013I: Variable ZOR_RECHECK_INT = 50.",
                   "CHK0107A: ZOR_RECHECK_INT is smaller than 600s.",
                   "CHK0106R: ZOR_RECHECK_INT is smaller than ZOR_RESEND_INT."});
  expectServerLog(machine.env("ZOR_RECHECK_INT", "700").run({}), 0,
                  {header, Remote, "CHK0013I: Variable ZOR_RESEND_INT = 700.",
                   "CHK0013I: Variable ZOR_RECHECK_INT = 700."});
}
