// The client checks: the entries of ZOR_RUNTIME_SERVER and ZOR_BUNDLE_SERVER,
// all with the local protocol (the QuorLink server is installed with LOC).
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

// Runtime server entries have four fields. Keys differing only in letter
// case are duplicates, and the duplicate entry is still checked; an entry cut
// short ends the list with CHK0212R naming its fields, the complete entries
// before it checked; empty pieces are skipped: a trailing comma ends the list
// quietly, and two commas in a row let the following fields move up.
TEST(ClientChecks, RuntimeServerEntries) {
  TestMachine machine;
  prepareClients(machine);
  for (auto [value, lines] : std::vector<std::pair<const char*, std::vector<std::string>>>{
           {"a,s1,LOCAL,LOC,A,s2,LOCAL,LOC",
            {LocalServer, "CHK0222A: Duplicate key A in ZOR_RUNTIME_SERVER.", LocalServer}},
           {"K1,S1,LOCAL,LOC,K2,S2,LOCAL",
            {LocalServer, "CHK0212R: Incomplete Runtime server specification: K2,S2,LOCAL,."}},
           {"K1,S1,LOCAL,LOC,", {LocalServer}},
           {"K1,,S1,LOCAL,LOC", {LocalServer}}}) {
    lines.insert(lines.begin(), RuntimeClient);
    EXPECT_BLOCK(machine.env("ZOR_RUNTIME_SERVER", value).run({}), 0, lines);
  }
}

// Bundle server entries have three fields; an incomplete one is reported
// with its missing fields empty, and an unset variable is reported.
TEST(ClientChecks, BundleServerSpecification) {
  TestMachine machine;
  prepareClients(machine);
  EXPECT_BLOCK(
      machine.env("ZOR_BUNDLE_SERVER", "B1,LOCAL,LOC,B2").run({}), 0,
      {BundleClient, LocalServer, "CHK0213R: Incomplete Bundle server specification: B2,,."});
  EXPECT_BLOCK(machine.unsetEnv("ZOR_BUNDLE_SERVER").run({}), 0,
               {BundleClient, "CHK0215R: No Bundle server specification found in the profile."});
}
