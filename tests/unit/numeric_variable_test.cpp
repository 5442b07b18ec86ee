#include "checks/numeric_variable.h"

#include <gtest/gtest.h>

#include "config/variable_store.h"
#include "test_machine.h"

// A value is numeric when its atol number is non-zero or it is all zeros;
// the check shows the number, or the value that is not numeric, and
// returns 0 for everything that is not a number. The end-to-end checks show
// an unset variable reported (UNIX.GID) or not (OS_AS_SIZE).
TEST(NumericVariable, ValuesAreReadLikeAtol) {
  TestMachine machine;
  struct Case {
    const char* value;
    std::int32_t number;
    const char* line;
  };
  const Case cases[] = {
      {"12abc", 12, "CHK0013I: Variable ZOR_TIMEOUT = 12."},
      {"0", 0, "CHK0013I: Variable ZOR_TIMEOUT = 0."},
      {"000", 0, "CHK0013I: Variable ZOR_TIMEOUT = 0."},
      {"0012", 12, "CHK0013I: Variable ZOR_TIMEOUT = 12."},
      {" 7", 7, "CHK0013I: Variable ZOR_TIMEOUT = 7."},
      {"-3", -3, "CHK0013I: Variable ZOR_TIMEOUT = -3."},
      {"0x10", 0, "CHK0012R: Variable ZOR_TIMEOUT is not numeric (0x10)."},
      {"-0", 0, "CHK0012R: Variable ZOR_TIMEOUT is not numeric (-0)."},
      {"abc", 0, "CHK0012R: Variable ZOR_TIMEOUT is not numeric (abc)."},
  };
  for (const Case& c : cases) {
    ScopedEnvironment value("ZOR_TIMEOUT", c.value);
    ReportLog::Text text;
    ReportLog log(text, ThresholdUpdate);
    EXPECT_EQ(checkNumericVariable(log, "ZOR_TIMEOUT", true, LookupMode::All), c.number) << c.value;
    EXPECT_EQ(text.file, std::string(c.line) + "\n") << c.value;
  }
}
