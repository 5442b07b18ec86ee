// A resource library that the system's library search finds counts as
// present, wherever it lies (here the emulated machine's system directory).
#include <gtest/gtest.h>

#include "checks/client_checks.h"
#include "test_machine.h"

TEST(ProductFile, ResourceLibraryFoundByTheLibrarySearchIsPresent) {
  TestMachine machine;
  machine.file("drive_c/WINNT/system32/zorgoenu.dll", "MZ");
  ReportLog::Text text;
  ReportLog log(text, ThresholdUpdate);
  checkProductFile(log, "c:\\corvanta", "", "zorgo", "enu", ".dll", "VRK/9 resource");
  checkProductFile(log, "c:\\corvanta", "", "zorprb", "enu", ".dll", "B/T resource");
  EXPECT_EQ(text.file,
            "CHK0008R: The B/T resource file 'c:\\corvanta\\zorprbenu.dll' does not exist.\n");
}
