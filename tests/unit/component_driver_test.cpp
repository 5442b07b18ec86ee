#include <gtest/gtest.h>

#include "checks/component_table.h"
#include "test_machine.h"

namespace {

int calls = 0;

std::int32_t failing(ReportLog&, CheckOptions&) {
  ++calls;
  return 1;
}

std::int32_t succeeding(ReportLog&, CheckOptions&) {
  ++calls;
  return 0;
}

const ComponentEntry TestTable[] = {
    {"First", failing, nullptr, {nullptr, nullptr, nullptr, ""}},
    {"Second", succeeding, nullptr, {nullptr, nullptr, nullptr, ""}},
    {"Missing", succeeding, failing, {nullptr, nullptr, nullptr, "zormiss.exe"}},
    {"Elsewhere", failing, failing, {"zorelse.exe", nullptr, nullptr, nullptr}},
    {"Updated", nullptr, failing, {nullptr, nullptr, nullptr, ""}},
    {nullptr, nullptr, nullptr, {nullptr, nullptr, nullptr, nullptr}},
};

std::vector<std::string> runTable(TestMachine& machine, bool updateMode, std::int32_t& result) {
  CheckOptions options;
  options.productPath = "c:\\";
  {
    ReportLog log("zorivt.log", ThresholdUpdate);
    result = runComponentChecks(log, options, updateMode, TestTable);
  }
  return machine.readLines("drive_c/zorivt.log");
}

}  // namespace

// A routine that returns non-zero makes the result 2; the later routines
// still run, and rows without an executable in the fourth column are
// skipped. In update mode only rows with an update routine run, and a
// non-zero update result makes the result 2 as well.
TEST(ComponentDriver, NonZeroRoutineMakesTheResultTwo) {
  TestMachine machine;
  calls = 0;
  std::int32_t result = 0;
  EXPECT_EQ(
      runTable(machine, false, result),
      (std::vector<std::string>{"CHK0050I: ===> First checks.", "", "CHK0050I: ===> Second checks.",
                                "", "CHK0052I: ===> Missing (zormiss.exe) not installed.", "",
                                "CHK0054I: ===> Updated found, no checks defined.", ""}));
  EXPECT_EQ(result, 2);
  EXPECT_EQ(calls, 2);

  calls = 0;
  EXPECT_EQ(runTable(machine, true, result),
            (std::vector<std::string>{"CHK0052I: ===> Missing (zormiss.exe) not installed.", "",
                                      "CHK0053I: ===> Configuration updates for Updated.", ""}));
  EXPECT_EQ(result, 2);
  EXPECT_EQ(calls, 1);
}
