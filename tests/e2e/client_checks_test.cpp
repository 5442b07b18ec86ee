// The client checks: the runtime and bundle server specifications, all with
// the local protocol (the QuorLink server is installed with LOC).
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const char* const RuntimeClient = "CHK0051I: ===> R/T Client found, checks started.";
const char* const BundleClient = "CHK0051I: ===> Bundle Client found, checks started.";
const char* const LocalServer = "CHK0201I: ==> Checking server LOCAL (LOCAL).";

void prepareClients(TestMachine& machine) {
  for (const char* name : {"zorpisrv.exe", "zorbssrt.exe", "zorbobcl.exe"}) {
    machine.file(std::string("drive_c/") + name, "");
  }
  machine.env("ZOR_BUNDLE_SERVER", "B1,LOCAL,LOC");
}

}  // namespace

// Keys differing only in letter case are duplicates; the duplicate entry is
// still checked.
TEST(ClientChecks, RuntimeServerKeysAreComparedInUpperCase) {
  TestMachine machine;
  prepareClients(machine);
  RunResult run = machine.env("ZOR_RUNTIME_SERVER", "a,s1,LOCAL,LOC,A,s2,LOCAL,LOC").run({});
  EXPECT_BLOCK(run, {RuntimeClient, LocalServer, "CHK0222A: Duplicate key A in ZOR_RUNTIME_SERVER.",
                     LocalServer});
}

// An entry cut short ends the list with CHK0212R naming its fields; the
// complete entries before it are checked.
TEST(ClientChecks, IncompleteRuntimeServerEntryEndsTheList) {
  TestMachine machine;
  prepareClients(machine);
  RunResult run = machine.env("ZOR_RUNTIME_SERVER", "K1,S1,LOCAL,LOC,K2,S2,LOCAL").run({});
  EXPECT_BLOCK(run, {RuntimeClient, LocalServer,
                     "CHK0212R: Incomplete Runtime server specification: K2,S2,LOCAL,."});
}

// Empty pieces are skipped: a trailing comma ends the list quietly, and
// two commas in a row let the following fields move up.
TEST(ClientChecks, EmptyPiecesOfTheRuntimeServerListAreSkipped) {
  TestMachine machine;
  prepareClients(machine);
  for (const char* value : {"K1,S1,LOCAL,LOC,", "K1,,S1,LOCAL,LOC"}) {
    RunResult run = machine.env("ZOR_RUNTIME_SERVER", value).run({});
    EXPECT_BLOCK(run, {RuntimeClient, LocalServer});
  }
}

// Bundle server entries have three fields; an incomplete one is reported
// with its missing fields empty, and an unset variable is reported.
TEST(ClientChecks, BundleServerSpecification) {
  TestMachine machine;
  prepareClients(machine);
  RunResult run = machine.env("ZOR_BUNDLE_SERVER", "B1,LOCAL,LOC,B2").run({});
  EXPECT_BLOCK(
      run, {BundleClient, LocalServer, "CHK0213R: Incomplete Bundle server specification: B2,,."});
  run = machine.unsetEnv("ZOR_BUNDLE_SERVER").run({});
  EXPECT_BLOCK(run,
               {BundleClient, "CHK0215R: No Bundle server specification found in the profile."});
}
