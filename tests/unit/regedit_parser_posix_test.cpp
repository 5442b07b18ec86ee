// The regedit export parser belongs to the POSIX backend; the Windows build
// reads the real registry and has no parser to test.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/regedit_parser.h"
#include "platform/registry.h"
#include "test_machine.h"

using platform::posix::parseRegeditExport;
using platform::posix::RegistryTree;
using platform::posix::RegistryValue;
using Names = std::vector<std::string>;

namespace {

/// Joins lines with CRLF, as the export tools write them.
std::string crlf(const Names& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

/// A UTF-16LE file with its byte-order mark.
std::string utf16File(std::u16string_view text) {
  std::string bytes("\xFF\xFE");
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

/// REG_SZ data: the text and its terminating NUL.
std::string sz(const std::string& text) {
  return text + std::string(1, '\0');
}

RegistryTree::KeyId keyAt(const RegistryTree& tree, const std::string& path) {
  RegistryTree::KeyId key = RegistryTree::Root;
  for (std::size_t start = 0; key != RegistryTree::NoKey && start < path.size();) {
    std::size_t end = std::min(path.find('\\', start), path.size());
    key = tree.subKey(key, path.substr(start, end - start));
    start = end + 1;
  }
  return key;
}

/// Data of a value, "<missing>" when the key or the value does not exist.
std::string dataAt(const RegistryTree& tree, const std::string& path, const std::string& name) {
  RegistryTree::KeyId key = keyAt(tree, path);
  const RegistryValue* value = key == RegistryTree::NoKey ? nullptr : tree.findValue(key, name);
  return value ? value->data : "<missing>";
}

/// The values of a key as "name:type", in enumeration order.
Names namesAt(const RegistryTree& tree, const std::string& path) {
  RegistryTree::KeyId key = keyAt(tree, path);
  if (key == RegistryTree::NoKey) return {"<no key>"};
  Names names;
  for (const RegistryValue& value : tree.values(key))
    names.push_back(value.name + ":" + std::to_string(value.type));
  return names;
}

}  // namespace

TEST(RegeditParser, Version5FileGivesDataAsTheAFunctionsReturnIt) {
  RegistryTree tree = parseRegeditExport(crlf({
      "Windows Registry Editor Version 5.00",
      "",
      "; Corvanta 2.3, as installed",
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostral\\Corvanta\\2.3]",
      "\"Directory\"=\"C:\\\\Program Files\\\\Corvanta\"",
      "@=\"say \\\"hi\\\" to C:\\Temp\\\\\"",
      "\"Level\"=dword:0000000A",
      "\"Flags\"=hex:01,ff,7A",
      "\"Path\"=hex(2):25,00,53,00,59,00,53,00,54,00,45,00,4d,00,52,00,4f,00,4f,00,54,00,\\",
      "  25,00,00,00",
      "\"Servers\"=hex(7):5a,00,4f,00,52,00,44,00,42,00,00,00,5a,00,4f,00,52,00,53,00,\\",
      "  52,00,56,00,00,00,00,00",
      "\"Limit\"=hex(b):01,00,00,00,00,00,00,00",
  }));
  const std::string key = "SOFTWARE\\Ostral\\Corvanta\\2.3";
  EXPECT_EQ(namesAt(tree, key),
            (Names{"Directory:1", ":1", "Level:4", "Flags:3", "Path:2", "Servers:7", "Limit:11"}));
  EXPECT_EQ(dataAt(tree, key, "Directory"), sz("C:\\Program Files\\Corvanta"));
  // Only \\ and \" are escapes; any other backslash stays.
  EXPECT_EQ(dataAt(tree, key, ""), sz("say \"hi\" to C:\\Temp\\"));
  EXPECT_EQ(dataAt(tree, key, "Level"), std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(dataAt(tree, key, "Flags"), "\x01\xff\x7a");
  EXPECT_EQ(dataAt(tree, key, "Path"), sz("%SYSTEMROOT%"));
  EXPECT_EQ(dataAt(tree, key, "Servers"), std::string("ZORDB\0ZORSRV\0\0", 14));
  EXPECT_EQ(dataAt(tree, key, "Limit"), std::string("\x01\0\0\0\0\0\0\0", 8));  // not narrowed
  EXPECT_EQ(tree.longestValueName(keyAt(tree, key)), 9u);
}

// A UTF-16LE export (as `reg export` writes it) is read from the machine's
// file; its characters above 0xFF become '?'.
TEST(RegeditParser, Regedit4AndUtf16FilesGiveEightBitText) {
  RegistryTree old = parseRegeditExport(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n"
      "\"Servers\"=hex(7):5a,4f,52,44,42,00,5a,4f,52,53,52,56,00,00\n");
  EXPECT_EQ(dataAt(old, "K", "Servers"), std::string("ZORDB\0ZORSRV\0\0", 14));

  TestMachine machine;
  machine.file("registry.reg",
               utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                         u"\"Owner\"=\"Ren\u00e9 \u20ac x\U0001F600y\"\r\n"
                         u"\"Note\"=hex(2):41,00,ac,20,00,00\r\n"));
  RegistryTree wide = platform::posix::loadRegeditFile(machine.host("registry.reg").string());
  EXPECT_EQ(dataAt(wide, "K", "Owner"), sz("Ren\xe9 ? x?y"));
  EXPECT_EQ(dataAt(wide, "K", "Note"), sz("A?"));
}

TEST(RegeditParser, SectionsAndDeletionsActAsAnImportWould) {
  RegistryTree tree = parseRegeditExport(crlf({
      "REGEDIT4",
      "[HKLM\\Soft\\K]",
      "\"b\"=\"1\"",
      "\"a\"=\"2\"",
      "\"Longest name\"=\"x\"",
      "\"c\"=\"3\"",
      "[HKEY_CURRENT_USER\\Soft\\K]",
      "\"user\"=\"dropped\"",
      "[hkey_local_machine\\SOFT\\k]",
      "\"A\"=dword:00000004",
      "\"b\"=-",
      "\"Longest name\"=-",
      "\"b\"=\"5\"",
      "[HKLM\\Soft\\Gone\\Child]",
      "\"v\"=\"1\"",
      "[-HKLM\\soft\\GONE]",
      "\"after\"=\"dropped\"",
      "[-HKLM]",
      "[HKLM\\Soft\\Gone]",
      "[HKLM\\A\\B\\C]",
  }));
  EXPECT_EQ(namesAt(tree, "soft\\k"), (Names{"a:4", "c:1", "b:1"}));
  EXPECT_EQ(dataAt(tree, "Soft\\K", "B"), sz("5"));
  EXPECT_EQ(tree.longestValueName(keyAt(tree, "Soft\\K")), 1u);
  EXPECT_EQ(namesAt(tree, "Soft\\Gone"), Names{});
  EXPECT_EQ(keyAt(tree, "Soft\\Gone\\Child"), RegistryTree::NoKey);
  EXPECT_EQ(namesAt(tree, "A\\B"), Names{});
  EXPECT_EQ(tree.subKey(RegistryTree::Root, "HKEY_CURRENT_USER"), RegistryTree::NoKey);
  // The keys left, listed by their lower-case names.
  const RegistryTree::KeyId soft = keyAt(tree, "soft");
  EXPECT_EQ(tree.subKeys(RegistryTree::Root),
            (std::vector<std::pair<std::string, RegistryTree::KeyId>>{{"a", keyAt(tree, "a")},
                                                                      {"soft", soft}}));
  EXPECT_EQ(tree.subKeys(soft).size(), 2u);
  EXPECT_EQ(tree.subKeys(keyAt(tree, "Soft\\Gone")).size(), 0u);
}

TEST(RegeditParser, MalformedLinesAreSkippedAndReadingGoesOn) {
  RegistryTree tree = parseRegeditExport(crlf({
      "Windows Registry Editor Version 5.00",
      "[HKEY_LOCAL_MACHINE\\K]",
      "\"ok1\"=\"a\"",
      "\"unterminated\"=\"abc",
      "\"escapedEnd\"=\"abc\\\"",
      "\"name unterminated=\"1\"",
      "\"trailing\"=\"x\" junk",
      "\"tooLong\"=dword:123456789",
      "\"notHex\"=dword:12g4",
      "\"oddDigits\"=hex:1,234,5",
      "\"gap\"=hex:01,,02",
      "\"badType\"=hex(zz):01",
      "\"unknown\"=str:abc",
      "garbage line",
      "[",
      "\"ok2\"=\"a\"",
      "[HKLM\\L] trailing",
      "\"ok3\"=\"a\"",
      "[HKLM\\M]",
      "\"trailingComma\"=hex:01,02,",
      "\"beforeSection\"=hex:03,\\",
      "[HKLM\\N]",
      "\"beforeBlank\"=hex:04,\\",
      "",
      "\"beforeValue\"=hex:05,\\",
      "\"atEnd\"=hex:06,\\",
  }));
  EXPECT_EQ(namesAt(tree, "K"), (Names{"ok1:1", "ok2:1", "ok3:1"}));
  EXPECT_EQ(keyAt(tree, "L"), RegistryTree::NoKey);
  // Hex data cut short keeps the bytes read.
  EXPECT_EQ(dataAt(tree, "M", "trailingComma"), "\x01\x02");
  EXPECT_EQ(dataAt(tree, "M", "beforeSection"), "\x03");
  EXPECT_EQ(namesAt(tree, "N"), (Names{"beforeBlank:3", "beforeValue:3", "atEnd:3"}));
  EXPECT_EQ(dataAt(tree, "N", "atEnd"), "\x06");
}

TEST(RegeditParser, FileWithoutValidFirstLineOrUnreadableIsAnEmptyRegistry) {
  const std::string body = "\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"1\"\r\n";
  for (const std::string& file :
       {std::string(), "REGEDIT5" + body, "\r\nREGEDIT4" + body,
        "Windows Registry Editor Version 5.0" + body, std::string("\xFE\xFF\0R\0E\0G", 8) + body}) {
    EXPECT_EQ(keyAt(parseRegeditExport(file), "K"), RegistryTree::NoKey) << file;
  }
  EXPECT_EQ(dataAt(parseRegeditExport("\xEF\xBB\xBFREGEDIT4  " + body), "K", "v"), sz("1"));

  TestMachine machine;
  machine.directory("directory.reg");
  for (const char* name : {"missing.reg", "directory.reg"}) {
    RegistryTree tree = platform::posix::loadRegeditFile(machine.host(name).string());
    EXPECT_EQ(keyAt(tree, "K"), RegistryTree::NoKey) << name;
  }
}
