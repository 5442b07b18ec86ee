// The network probes in a whole run: option -u with the QuorLink server
// configured for TCP/IP checks the services file through the socket layer.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const char* const UpdateBlock = "CHK0053I: ===> Configuration updates for QuorLink Server.";
const char* const Version =
    "CHK0301I: WinSocket version: Zorivt Winsock 1.1 emulation over BSD sockets.";
const std::string Progress = "Loading library wsock32.dll...\r" + std::string(49, ' ') + "\r";

TestMachine& quorLinkServerWithTcp(TestMachine& machine) {
  return machine.file("drive_c/zorpisrv.exe", "").env("ZOR_PROTOCOL", "TCI");
}

}  // namespace

// Version 2.3 needs neither service: the update only reports the one it finds
// and leaves the file byte for byte as it was; the console shows nothing but
// the loader's progress line and its blanking.
TEST(Network, UpdateLeavesAServicesFileThatNeedsNothing) {
  TestMachine machine;
  const std::string services = "# services\r\nQuorLinkAttach 5011/tcp\r\n";
  quorLinkServerWithTcp(machine).file("drive_c/WINNT/system32/drivers/etc/services", services);
  RunResult run = machine.run({"-u"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_BLOCK(run,
               {UpdateBlock, Version, "CHK0308I: TCP port QuorLinkAttach found at number 5011."});
  EXPECT_OUT(run, {Progress});
  EXPECT_EQ(machine.read("drive_c/WINNT/system32/drivers/etc/services"), services);
}

// A directory named with -u that does not exist fails the update.
TEST(Network, UpdateOfAMissingDirectoryFails) {
  TestMachine machine;
  RunResult run = quorLinkServerWithTcp(machine).run({"-u", "c:\\NoWhere"});
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_BLOCK(
      run, {UpdateBlock, Version, "CHK0009A: The TCP/IP directory c:\\NoWhere does not exist."});
}

// Without the socket library the update reports the loader's error and fails;
// the rest of the run goes on.
TEST(Network, UpdateWithoutTheSocketLibraryFails) {
  TestMachine machine;
  RunResult run = quorLinkServerWithTcp(machine).faults("wsock32 missing\n").run({"-u"});
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_BLOCK(run, {UpdateBlock, "CHK0004R: Error 126 loading wsock32.dll."});
  EXPECT_OUT(run, {Progress});
}
