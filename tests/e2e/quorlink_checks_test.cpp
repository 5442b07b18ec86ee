// The QuorLink checks: tuning variables, the configured protocols, the
// server entries of the clients and the ObjectStore network settings, with
// the TCP/IP checks they lead to on the loopback network, and the services
// update of -u.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

namespace {

const char* const ServerHeader = "CHK0051I: ===> QuorLink Server found, checks started.";
const char* const VersionCheckOff = "CHK0013I: Variable ZOR_VERSION_CHECK = NO.";
const char* const TcpProtocol = "CHK0200I: ==> Checking protocol TCP/IP.";
const char* const UpdateBlock = "CHK0053I: ===> Configuration updates for QuorLink Server.";
const char* const NoValidProtocol = "CHK0206R: No valid Quorlink protocol specified.";
const std::string WinSock = "CHK0301I: WinSocket version: " + e2e::winsockDescription() + ".";
const std::string EtcDirectory = e2e::windowsDirectoryOnMachine() + "/system32/drivers/etc/";

/// A machine whose TCP/IP directory names this host and the loopback
/// address, and whose resolver asks nothing but that hosts file, so that
/// every name in these tests resolves the same on any host (in the
/// emulation: Wine's Winsock asks the host's resolver).
TestMachine& withLoopbackHosts(TestMachine& machine) {
  return machine
      .file(std::string(EtcDirectory) + "hosts",
            "127.0.0.1 localhost\n127.0.0.1 " + e2e::hostName() + "\n127.0.0.9 quorhost\n")
      .faults("resolver hosts-only\n");
}

std::string localHostLine() {
  const std::string address =
      e2e::resolverReadsTheMachineHostsFile() ? "127.0.0.1" : e2e::ownAddressUnderWine();
  return "CHK0303I: Local host " + e2e::hostName() + " has address " + address + ".";
}

/// The last lines of a successful host check of `host` at `address`, named
/// `name` in the hosts file: the ping's result depends on the right to
/// create raw sockets.
std::vector<std::string> hostCheck(const std::string& host, const std::string& name,
                                   const std::string& address) {
  std::vector<std::string> lines;
  if (name != address)
    lines.push_back("CHK0305I: Server " + name + " has address " + address + ".");
  lines.push_back(e2e::rawSocketsAllowed()
                      ? "CHK0314I: Ping " + host + " successful."
                      : "CHK0317I: Need root user authority to create a raw socket for ping.");
  return lines;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

// tci,loc sets both protocols; TCP/IP gets its protocol check (local host,
// services) and no CHK0206R follows. SNA is not supported on this platform
// and XYZ is no protocol name: either way no valid protocol remains.
TEST(QuorLinkChecks, Protocols) {
  TestMachine machine;
  withLoopbackHosts(machine).file("drive_c/zorpisrv.exe", "");
  RunResult run = machine.env("ZOR_PROTOCOL", "tci,loc").run({});
  EXPECT_BLOCK(run, 0, {ServerHeader, VersionCheckOff, TcpProtocol, WinSock, localHostLine()});
  EXPECT_BLOCK(
      machine.env("ZOR_PROTOCOL", "SNA").run({}), 0,
      {ServerHeader, VersionCheckOff,
       "CHK0207R: Quorlink protocol APPC not supported under Windows NT.", NoValidProtocol});
}

// The tuning switches are shown as YES or NO: ZOR_TP_KEEP and
// ZOR_VERSION_CHECK only for exactly YES, ZOR_TP_AUTO_RECONN keeps a NO as
// written and shows anything else as YES.
TEST(QuorLinkChecks, SwitchesAreShownAsYesOrNo) {
  TestMachine machine;
  machine.file("drive_c/zorpisrv.exe", "").env("ZOR_PROTOCOL", "LOC");
  EXPECT_BLOCK(
      machine.env("ZOR_TP_KEEP", "yes")
          .env("ZOR_TP_AUTO_RECONN", "No")
          .env("ZOR_VERSION_CHECK", "YES")
          .env("ZOR_TP_MULTIHOME_PROTOCOL", "YES")
          .env("ZOR_TIMEOUT", "30")
          .run({}),
      0,
      {ServerHeader, "CHK0013I: Variable ZOR_TIMEOUT = 30.", "CHK0013I: Variable ZOR_TP_KEEP = NO.",
       "CHK0013I: Variable ZOR_TP_AUTO_RECONN = No.", "CHK0013I: Variable ZOR_VERSION_CHECK = YES.",
       "CHK0013I: Variable ZOR_TP_MULTIHOME_PROTOCOL = YES."});
  EXPECT_BLOCK(
      machine.env("ZOR_TP_KEEP", "YES").env("ZOR_TP_AUTO_RECONN", "0").run({}), 0,
      {ServerHeader, "CHK0013I: Variable ZOR_TIMEOUT = 30.",
       "CHK0013I: Variable ZOR_TP_KEEP = YES.", "CHK0013I: Variable ZOR_TP_AUTO_RECONN = YES.",
       "CHK0013I: Variable ZOR_VERSION_CHECK = YES.",
       "CHK0013I: Variable ZOR_TP_MULTIHOME_PROTOCOL = YES."});
}

// Without the QuorLink server, the first server entry of a client finds no
// protocol: the protocols are determined once, and every entry is preceded
// by CHK0219R while none is valid (and is checked anyway as not loaded).
TEST(QuorLinkChecks, EntriesAreCheckedAnywayWhenNoProtocolIsValid) {
  TestMachine machine;
  machine.file("drive_c/zorbssrt.exe", "")
      .env("ZOR_PROTOCOL", "XYZ")
      .env("ZOR_RUNTIME_SERVER", "A,S,LOCAL,LOC,B,S,LOCAL,LOC");
  RunResult run = machine.run({});
  const char* const Anyway = "CHK0219R: QuorLink not installed, checking anyway.";
  const char* const NotLoaded =
      "CHK0208R: Server protocol LOC not loaded by Quorlink; checking anyway.";
  EXPECT_BLOCK(run, 0,
               {"CHK0051I: ===> R/T Client found, checks started.", Anyway,
                "CHK0205A: Invalid Quorlink protocol specified: XYZ.", NoValidProtocol, NotLoaded,
                "CHK0201I: ==> Checking server LOCAL (LOCAL).", Anyway, NotLoaded,
                "CHK0201I: ==> Checking server LOCAL (LOCAL)."});
}

// The default runtime server entry is local; its address must be LOCAL in
// capitals.
TEST(QuorLinkChecks, LocalEntriesNeedTheAddressLocal) {
  TestMachine machine;
  machine.file("drive_c/zorpisrv.exe", "").file("drive_c/zorbssrt.exe", "");
  const char* const Header = "CHK0051I: ===> R/T Client found, checks started.";
  EXPECT_BLOCK(machine.run({}), 0, {Header, "CHK0201I: ==> Checking server LOCAL (LOCAL)."});
  EXPECT_BLOCK(machine.env("ZOR_RUNTIME_SERVER", "ZORDB,ZORSRV,local,LOC").run({}), 0,
               {Header, "CHK0201I: ==> Checking server local (LOCAL).",
                "CHK0209R: Server protocol 'LOC' requires address 'LOCAL'."});
}

// A bundle server reached over TCP/IP while QuorLink loads only LOC: the
// protocol is checked anyway, then the server host (named in the hosts
// file) is resolved and pinged.
TEST(QuorLinkChecks, ServerProtocolNotLoadedIsCheckedAnyway) {
  TestMachine machine;
  withLoopbackHosts(machine)
      .file("drive_c/zorpisrv.exe", "")
      .file("drive_c/zorbobcl.exe", "")
      .env("ZOR_PROTOCOL", "LOC")
      .env("ZOR_BUNDLE_SERVER", "ZORBUN,127.0.0.1,TCI");
  EXPECT_BLOCK(
      machine.run({}), 0,
      std::vector<std::string>{
          "CHK0051I: ===> Bundle Client found, checks started.",
          "CHK0208R: Server protocol TCI not loaded by Quorlink; checking anyway.", TcpProtocol,
          WinSock, localHostLine(), "CHK0201I: ==> Checking server 127.0.0.1 (TCP/IP)."} +
          hostCheck("127.0.0.1", "localhost", "127.0.0.1"));
}

// With -t the connection test tries the QuorLink attach port of the
// address the host check resolved: nobody listens there.
TEST(QuorLinkChecks, AvailabilityTestReportsAServerThatIsNotRunning) {
  SKIP_ON_WINDOWS_BUILD("Wine resolves names through the host, not the machine's hosts file");
  TestMachine machine;
  withLoopbackHosts(machine)
      .file("drive_c/zorpisrv.exe", "")
      .file("drive_c/zorbobcl.exe", "")
      .env("ZOR_PROTOCOL", "TCI")
      .env("ZOR_BUNDLE_SERVER", "ZORBUN,quorhost,TCI");
  EXPECT_BLOCK(machine.run({"-t"}), 0,
               std::vector<std::string>{"CHK0051I: ===> Bundle Client found, checks started.",
                                        "CHK0201I: ==> Checking server quorhost (TCP/IP)."} +
                   hostCheck("quorhost", "quorhost", "127.0.0.9") +
                   std::vector<std::string>{"CHK0320A: Quorlink is not running at quorhost."});
}

// OS_NETWORK: TCP/IP validates ZOR_HOST, NetBIOS is noted and ends the
// list (anything after it draws the order warning), blanks and unknown
// libraries are reported.
TEST(QuorLinkChecks, ObjectStoreNetworkLibraries) {
  TestMachine machine;
  withLoopbackHosts(machine)
      .file("drive_c/zorposrv.exe", "")
      .env("OS_ROOTDIR", "c:\\ostore")
      .env("OS_RELOPT_THRESH", "0")
      .env("ZOR_DB_PATH", "/db");
  const std::vector<std::string> Header{"CHK0051I: ===> Bundle Server found, checks started."};
  const std::vector<std::string> DatabasePath{
      "CHK0009A: The Database directory /db does not exist.",
      "CHK0011R: Variable UNIX.UID is not set.", "CHK0011R: Variable UNIX.GID is not set."};
  const char* const Local = "CHK0216I: The database server is local.";
  const char* const NetBios = "CHK--TBD: ODI: check o4netbio";

  EXPECT_BLOCK(machine.env("OS_NETWORK", "o4nettcp,o4netbio").run({}), 0,
               Header + DatabasePath + std::vector<std::string>{Local, WinSock, NetBios});
  EXPECT_BLOCK(
      machine.env("OS_NETWORK", "o4netbio,o4nettcp").run({}), 0,
      Header + DatabasePath +
          std::vector<std::string>{
              Local, NetBios, "CHK--ATT: OS_NETWORK maybe has the wrong value (order) for ''"});
  const std::vector<std::string> RemotePath{"CHK0011R: Variable UNIX.UID is not set.",
                                            "CHK0011R: Variable UNIX.GID is not set."};
  EXPECT_BLOCK(
      machine.env("OS_NETWORK", "o4netsm, o4netxyz").env("ZOR_HOST", "quorhost").run({}), 0,
      Header + RemotePath +
          std::vector<std::string>{"CHK0217I: The database server is on host quorhost.",
                                   "CHK0220R: The OS_NETWORK variable must not contain blanks.",
                                   "CHK0210A: Unknown ObjectStore protocol specified: o4netxyz."});
  EXPECT_BLOCK(
      machine.env("OS_NETWORK", "o4nettcp").env("ZOR_HOST", "nohost").run({}), 0,
      Header + RemotePath +
          std::vector<std::string>{"CHK0217I: The database server is on host nohost.", WinSock,
                                   "CHK0002R: System call failed: gethostbyname() returned 11001.",
                                   "CHK0304R: Server host 'nohost' not found.",
                                   "CHK0221R: 'nohost' is not a valid TCP/IP address."});
}

// -u runs only the QuorLink server's update, not the R/T server's check:
// with LOC there is nothing to update. With TCI the services file is
// checked through the socket layer: a TCP/IP directory that does not exist,
// or one without a services file, fails the update (exit 2). Version 2.3
// needs neither service: the update reports the one it finds, even at a
// wrong number, adds none, and leaves the file byte for byte as it was; the console shows nothing
// but the loader's progress line and its blanking.
TEST(QuorLinkChecks, UpdateModeRunsOnlyTheQuorLinkUpdate) {
  TestMachine machine;
  machine.file("drive_c/zorpisrv.exe", "").file("drive_c/zorpesrv.exe", "");
  RunResult run = machine.env("ZOR_PROTOCOL", "LOC").run({"-u"});
  EXPECT_EQ(run.exitStatus, 0);
  ASSERT_GE(run.log.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(run.log.end() - 4, run.log.end()),
            (std::vector<std::string>{"", UpdateBlock, "",
                                      "CHK0999I: Configuration-checking utility ended."}));
  EXPECT_OUT(run, {});

  machine.env("ZOR_PROTOCOL", "TCI");
  run = machine.run({"-u", "c:\\NoWhere"});
  EXPECT_BLOCK(
      run, 2, {UpdateBlock, WinSock, "CHK0009A: The TCP/IP directory c:\\NoWhere does not exist."});
  run = machine.directory(EtcDirectory).run({"-u"});
  EXPECT_BLOCK(run, 2,
               {UpdateBlock, WinSock,
                "CHK0008R: The TCP/IP services file '" + e2e::windowsDirectory() +
                    "\\system32\\drivers\\etc\\services' does not exist."});

  const std::string services = "# services\r\nQuorLinkStart 6000/tcp # moved\r\n\r\n";
  run = machine.file(EtcDirectory + "services", services).run({"-u"});
  EXPECT_BLOCK(run, 0,
               {UpdateBlock, WinSock,
                "CHK0307R: TCP port QuorLinkStart found at wrong number 6000 (should be "
                "5010)."});
  EXPECT_OUT(run, {"Loading library wsock32.dll...\r" + std::string(49, ' ') + "\r"});
  EXPECT_EQ(machine.read(EtcDirectory + "services"), services);
}

// A machine whose socket library is missing, or lacks a procedure, fails
// every network probe with the loader's message; the rest of the run goes
// on, and the update fails.
TEST(QuorLinkChecks, BrokenSocketLibraryStopsTheProbes) {
  SKIP_ON_WINDOWS_BUILD("only the emulation reads the faults file");
  TestMachine machine;
  machine.file("drive_c/zorpisrv.exe", "").env("ZOR_PROTOCOL", "TCI").faults("wsock32 missing\n");
  RunResult run = machine.run({"-u"});
  EXPECT_BLOCK(run, 2, {UpdateBlock, "CHK0004R: Error 126 loading wsock32.dll."});
  run = machine.faults("wsock32 lacks select\n").run({});
  EXPECT_BLOCK(run, 0,
               {ServerHeader, VersionCheckOff, TcpProtocol,
                "CHK0005R: Cannot load procedure select() from wsock32.dll."});
}
