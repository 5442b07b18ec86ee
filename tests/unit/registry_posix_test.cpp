// The emulated registry of a machine directory, and the Windows version read
// from it; the Windows build reads the real registry instead.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/system_info.h"
#include "test_machine.h"

using namespace platform;

namespace {

const char* const CorvantaRegistry =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]\r\n"
    "\"Directory\"=\"C:\\\\Corvanta\"\r\n"
    "@=\"default\"\r\n"
    "\"Servers\"=hex(7):5a,00,4f,00,52,00,44,00,42,00,00,00,5a,00,4f,00,52,00,53,00,\\\r\n"
    "  52,00,56,00,00,00,00,00\r\n"
    "\"Level\"=dword:0000002a\r\n"
    "\"A longer name\"=\"x\"\r\n";

/// A value read as installation discovery reads it, the size first, then
/// the data; "<error N>" when a call fails.
std::string readValue(RegistryHandle key, const char* name) {
  std::uint32_t size = 0;
  long status = registryQueryValue(key, name, nullptr, nullptr, &size);
  std::string data(size, '\0');
  if (status == RegistrySuccess) {
    status =
        registryQueryValue(key, name, nullptr, reinterpret_cast<unsigned char*>(&data[0]), &size);
  }
  return status == RegistrySuccess ? data : "<error " + std::to_string(status) + ">";
}

/// The opened key, 0 when it cannot be opened.
RegistryHandle openKey(RegistryHandle parent, const char* path) {
  RegistryHandle key = 0;
  return registryOpenKey(parent, path, RegistryAccess::Read, key) == RegistrySuccess ? key : 0;
}

}  // namespace

TEST(Registry, OpensPathsQueriesAndEnumeratesValuesAsTheWin32CallsDo) {
  TestMachine machine;
  machine.file("registry.reg", CorvantaRegistry);
  RegistryHandle product = openKey(LocalMachineKey, "software\\OSTRAL\\corvanta");
  RegistryHandle key = openKey(product, "2.3");
  ASSERT_NE(key, 0u);
  EXPECT_EQ(readValue(key, "DIRECTORY"), std::string("C:\\Corvanta\0", 12));
  EXPECT_EQ(readValue(key, nullptr), std::string("default\0", 8));
  EXPECT_EQ(readValue(key, "Level"), std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(readValue(key, "Missing"), "<error 2>");
  EXPECT_NE(openKey(LocalMachineKey, "SOFTWARE\\\\Ostral\\Corvanta\\2.3\\"), 0u);
  for (const char* missing : {"SOFTWARE\\Missing", "\\SOFTWARE", "Ostral"}) {
    EXPECT_EQ(openKey(LocalMachineKey, missing), 0u) << missing;
  }

  std::uint32_t type = 0, size = 13;
  unsigned char buffer[16];
  EXPECT_EQ(registryQueryValue(key, "Servers", &type, buffer, &size), RegistryMoreData);
  EXPECT_EQ(type, RegistryMultiString);
  EXPECT_EQ(size, 14u);
  ASSERT_EQ(registryQueryValue(key, "Servers", nullptr, buffer, &size), RegistrySuccess);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size),
            std::string("ZORDB\0ZORSRV\0\0", 14));
  EXPECT_EQ(registryQueryValue(key, "Level", nullptr, buffer, nullptr), RegistryInvalidParameter);

  // Value names enumerate in file order.
  std::uint32_t count = 0, longest = 0;
  ASSERT_EQ(registryQueryInfo(key, &count, &longest), RegistrySuccess);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(longest, 13u);

  std::vector<std::string> names;
  char name[14];
  std::uint32_t length = sizeof name;
  for (std::uint32_t index = 0; registryEnumValue(key, index, name, &length) == RegistrySuccess;
       ++index, length = sizeof name) {
    names.emplace_back(name, length);
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Directory", "", "Servers", "Level", "A longer name"}));
  EXPECT_EQ(registryEnumValue(key, 5, name, &length), RegistryNoMoreItems);
  length = 13;  // no room for the NUL
  EXPECT_EQ(registryEnumValue(key, 4, name, &length), RegistryMoreData);
}

// A handle stays valid until closed, and a copy opened from it outlives
// it; a closed handle is invalid for every call. Without a machine the hive
// is empty.
TEST(Registry, HandlesStayValidUntilClosed) {
  TestMachine machine;
  machine.file("registry.reg", "REGEDIT4\n[HKLM\\K]\n\"v\"=\"value\"\n");
  RegistryHandle key = openKey(LocalMachineKey, "k");
  RegistryHandle again = openKey(key, "");
  EXPECT_NE(again, key);
  EXPECT_EQ(registryCloseKey(key), RegistrySuccess);
  EXPECT_EQ(readValue(again, "v"), std::string("value\0", 6));

  std::uint32_t count = 0;
  EXPECT_EQ(registryCloseKey(key), RegistryInvalidHandle);
  EXPECT_EQ(readValue(key, "v"), "<error 6>");
  EXPECT_EQ(registryQueryInfo(key, &count, nullptr), RegistryInvalidHandle);
  EXPECT_EQ(registryOpenKey(key, "", RegistryAccess::Read, again), RegistryInvalidHandle);
  EXPECT_EQ(registryCloseKey(LocalMachineKey), RegistrySuccess);
  RegistryHandle afterClosingHive = openKey(LocalMachineKey, "K");
  EXPECT_NE(afterClosingHive, 0u);
  for (RegistryHandle open : {again, afterClosingHive}) registryCloseKey(open);

  ScopedEnvironment noMachine("ZORIVT_MACHINE", nullptr);
  EXPECT_EQ(openKey(LocalMachineKey, "K"), 0u);
  ASSERT_EQ(registryQueryInfo(LocalMachineKey, &count, nullptr), RegistrySuccess);
  EXPECT_EQ(count, 0u);
}

TEST(MachineVersion, ComesFromTheNtKeyElseTheWindowsKeyElseDefaults) {
  const std::string nt = "[HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n";
  const std::string windows = "[HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n";
  const struct {
    std::string keys;
    std::uint32_t platformId, major, minor;
    const char* directory;
  } cases[] = {
      {nt + "\"CurrentVersion\"=\"5.0\"\n\"SystemRoot\"=\"D:\\\\WINNT\"\n" + windows +
           "\"VersionNumber\"=\"4.10.1998\"\n",
       PlatformNt, 5, 0, "D:\\WINNT"},
      {nt, PlatformNt, 4, 0, "C:\\WINNT"},
      {windows + "\"VersionNumber\"=\"4.10.1998\"\n\"SystemRoot\"=\"C:\\\\WIN98\"\n",
       PlatformWindows, 4, 10, "C:\\WIN98"},
      {windows + "\"VersionNumber\"=\"4.00.950\"\n", PlatformWindows, 4, 0, "C:\\WINDOWS"},
      {"[HKLM\\SOFTWARE\\Microsoft]\n", PlatformNt, 4, 0, "C:\\WINNT"},
  };
  for (const auto& expected : cases) {
    TestMachine machine;
    machine.file("registry.reg", "REGEDIT4\n" + expected.keys);
    VersionInfo info;
    ASSERT_TRUE(windowsVersion(info));
    EXPECT_EQ(info.platformId, expected.platformId) << expected.keys;
    EXPECT_EQ(info.major, expected.major) << expected.keys;
    EXPECT_EQ(info.minor, expected.minor) << expected.keys;
    EXPECT_EQ(windowsDirectory(), expected.directory) << expected.keys;
  }
}
