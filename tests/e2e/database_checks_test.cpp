// The database checks: the database-client settings (seen in the Bundle
// Server's block, whose check they are) and the ObjectStore server's.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;
using Lines = std::vector<std::string>;

namespace {

const char* const Header = "CHK0051I: ===> Bundle Server found, checks started.";
const char* const Local = "CHK0216I: The database server is local.";
const char* const Remote = "CHK0217I: The database server is on host dbhost.";

/// A machine with the bundle server installed and ObjectStore's client
/// variables set well, its database c:\data holding the schema.
void prepareBundleServer(TestMachine& machine) {
  machine.file("drive_c/zorposrv.exe", "")
      .file("drive_c/data/zordb.adb", "")
      .env("OS_ROOTDIR", "c:\\ostore")
      .env("OS_RELOPT_THRESH", "0");
}

}  // namespace

// An absolute path is "/..." or a drive, colon and backslash; in the drive
// form no letter may be upper case, the drive letter included. A UNIX-style
// path asks for UNIX.UID and UNIX.GID.
TEST(DatabaseChecks, DatabasePathIsAbsoluteAndLowerCase) {
  TestMachine machine;
  prepareBundleServer(machine);
  machine.file("drive_c/u/db/zordb.adb", "");
  EXPECT_BLOCK(machine.env("ZOR_DB_PATH", "c:\\data").run({}), 0, {Header, Local});
  EXPECT_BLOCK(machine.env("ZOR_DB_PATH", "C:\\data").run({}), 0,
               {Header, "CHK0084R: ZOR_DB_PATH must not contain uppercase letters.", Local});
  EXPECT_BLOCK(machine.env("ZOR_DB_PATH", "data\\db").run({}), 0,
               {Header, "CHK0085R: ZOR_DB_PATH must be an absolute directory name.",
                "CHK0009A: The Database directory data\\db does not exist.", Local});
  RunResult run = machine.env("ZOR_DB_PATH", "/u/db").env("UNIX.UID", "100").run({});
  Lines unixPath{Header, "CHK0013I: Variable UNIX.UID = 100.",
                 "CHK0011R: Variable UNIX.GID is not set.", Local};
  if (e2e::slashPathsAreHostPaths()) {
    unixPath.insert(unixPath.begin() + 1, "CHK0009A: The Database directory /u/db does not exist.");
  }
  EXPECT_BLOCK(run, 0, unixPath);
}

// The schema file is looked for only when ZOR_HOST is empty (a local
// database).
TEST(DatabaseChecks, SchemaFileOnlyForALocalDatabase) {
  TestMachine machine;
  prepareBundleServer(machine);
  machine.directory("drive_c/empty").env("ZOR_DB_PATH", "c:\\empty");
  EXPECT_BLOCK(machine.run({}), 0,
               {Header, "CHK0008R: The Schema file 'c:\\empty\\zordb.adb' does not exist.", Local});
  EXPECT_BLOCK(machine.env("ZOR_HOST", "dbhost").run({}), 0, {Header, Remote});
}

// A path of 80 characters is allowed, one of 81 is too long; an unset
// ZOR_DB_PATH is reported.
TEST(DatabaseChecks, DatabasePathLengthAndAbsence) {
  TestMachine machine;
  prepareBundleServer(machine);
  machine.env("ZOR_HOST", "dbhost");
  EXPECT_BLOCK(machine.env("ZOR_DB_PATH", "c:\\" + std::string(77, 'd')).run({}), 0,
               {Header, Remote});
  EXPECT_BLOCK(machine.env("ZOR_DB_PATH", "c:\\" + std::string(78, 'd')).run({}), 0,
               {Header, "CHK0092R: ZOR_DB_PATH is too long (81 characters).", Remote});
  EXPECT_BLOCK(machine.unsetEnv("ZOR_DB_PATH").run({}), 0,
               {Header, "CHK0011R: Variable ZOR_DB_PATH is not set.", Remote});
}

// ObjectStore's client variables come from the environment: OS_ROOTDIR must
// be set, the sizes must be numeric, and OS_RELOPT_THRESH must be the text
// "0" exactly. The database-client check runs once: its messages are in the
// first block that needs it (the R/T Server's), not in the Bundle Server's
// after it.
TEST(DatabaseChecks, ObjectStoreClientVariablesInTheFirstBlockOnly) {
  TestMachine machine;
  prepareBundleServer(machine);
  machine.file("drive_c/zorpesrv.exe", "")
      .unsetEnv("OS_ROOTDIR")
      .unsetEnv("OS_RELOPT_THRESH")
      .env("ZOR_DB_PATH", "c:\\data")
      .env("OS_CACHE_SIZE", "big")
      .env("OS_AS_SIZE", "64");
  const char* const RuntimeServer = "CHK0051I: ===> R/T Server found, checks started.";
  RunResult run = machine.run({});
  EXPECT_BLOCK(run, 0,
               {RuntimeServer, "CHK0011R: Variable OS_ROOTDIR is not set.",
                "CHK0012R: Variable OS_CACHE_SIZE is not numeric (big).",
                "CHK0013I: Variable OS_AS_SIZE = 64.",
                "CHK0081A: OS_RELOPT_THRESH should be set to 0.", Local});
  EXPECT_BLOCK(run, 0, {Header});
  EXPECT_BLOCK(machine.env("OS_ROOTDIR", "c:\\ostore").env("OS_RELOPT_THRESH", "00").run({}), 0,
               {RuntimeServer, "CHK0012R: Variable OS_CACHE_SIZE is not numeric (big).",
                "CHK0013I: Variable OS_AS_SIZE = 64.",
                "CHK0081A: OS_RELOPT_THRESH should be set to 0.", Local});
}

// The ObjectStore registry key names the server's log file; a missing file
// is reported, then the server parameters are listed in descending index
// order.
TEST(DatabaseChecks, ServerLogFileAndParametersFromTheRegistry) {
  TestMachine machine;
  machine.file("drive_c/ostore/bin/osserver.exe", "")
      .directory("drive_c/temp")
      .env("OS_ROOTDIR", "c:\\ostore")
      .env("TMP", "c:\\temp")
      .registry(
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Object Design Inc.\\ObjectStore.4.0\\Server]\n"
          "\"Log File\"=\"c:\\\\ostore\\\\server.log\"\n"
          "\"Port\"=\"5000\"\n");
  EXPECT_BLOCK(machine.run({}), 0,
               {"CHK0051I: ===> Database Server found, checks started.",
                "CHK0079A: OSServer log file c:\\ostore\\server.log not found, osserver -con -i?",
                "CHK0076I: ObjectStore server parameters:", "CHK0078I:   Port: 5000",
                "CHK0078I:   Log File: c:\\ostore\\server.log"});
}
