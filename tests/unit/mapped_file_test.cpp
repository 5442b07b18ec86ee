// What opening a file for mapping gives, on either platform: the bytes of a
// regular file, a file to be read instead when it is empty, and refusals.

#include "platform/mapped_file.h"

#include <gtest/gtest.h>

#include <string>

#include "test_machine.h"

using platform::MappedFile;

TEST(MappedFile, MapsARegularFileAndRefusesWhatItCannotMap) {
  TestMachine machine;
  const std::string bytes = std::string("zor\0ivt", 7) + std::string(70000, '\xA5');
  machine.file("drive_c/m.bin", bytes);
  machine.file("drive_c/empty.bin", "");
  std::filesystem::create_directories(machine.host("drive_c/folder"));

  MappedFile file;
  ASSERT_EQ(file.open(machine.windowsPath("drive_c/m.bin")), MappedFile::Opened::Mapped);
  ASSERT_EQ(file.size(), bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.bytes()), file.size()), bytes);

  MappedFile moved(std::move(file));
  EXPECT_EQ(file.bytes(), nullptr);
  EXPECT_EQ(moved.size(), bytes.size());
  EXPECT_EQ(moved.bytes()[7], 0xA5);

  EXPECT_EQ(file.open(machine.windowsPath("drive_c/empty.bin")), MappedFile::Opened::NotMapped);
  EXPECT_EQ(file.bytes(), nullptr);
  EXPECT_EQ(file.open(machine.windowsPath("drive_c/none.bin")), MappedFile::Opened::Missing);
  EXPECT_NE(file.open(machine.windowsPath("drive_c/folder")), MappedFile::Opened::Mapped);
}
