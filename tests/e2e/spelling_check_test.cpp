// The spelling check of profile keys: an unknown key is reported with the
// nearest known variable name, and under -d with the distance.
#include "harness.h"

using e2e::RunResult;
using e2e::TestMachine;

// Unknown keys draw CHK0074A with the nearest name, the earliest in table
// order on a tie (zor_lang is 7 from several names); a key in small letters
// does not set the upper-case variable. Known keys, the first and the last
// row of the table among them, draw nothing.
TEST(SpellingCheck, UnknownKeyIsReportedWithTheNearestName) {
  TestMachine machine;
  machine.file("drive_c/zorpzcfg.prf",
               "ZORPF_RESOLVE = 1\n"
               "zor_lang = DE\n"
               "ZOR_HOST = dbhost\n"
               "ZOR_TRACEFILE = t.log\n"
               "PATH = c:\\bin\n"
               "ZOR_VERSION_CHECK = YES\n");
  RunResult run = machine.run({"-d", "-v", "ZOR_LANG;zor_lang"});
  EXPECT_BLOCK(
      run,
      e2e::setupBlock("c:\\", {"CHK0063I: Corvanta profile used: c:\\zorpzcfg.prf.",
                               "CHK0074A: Variable zor_lang is not known. Correct it to ZOR_HOST.",
                               "CHK--DBG: wld(zor_lang, ZOR_HOST) = 7",
                               "CHK0074A: Variable ZOR_TRACEFILE is not known. Correct it to "
                               "ZOR_TRACE_FILE.",
                               "CHK--DBG: wld(ZOR_TRACEFILE, ZOR_TRACE_FILE) = 1",
                               "CHK0074A: Variable PATH is not known. Correct it to ZOR_DB_PATH.",
                               "CHK--DBG: wld(PATH, ZOR_DB_PATH) = 7"}));
  EXPECT_BLOCK(run, {"CHK0104I: Variable ZOR_LANG is 'EU' (Corvanta default).",
                     "CHK0103I: Variable zor_lang is 'DE' (set in the profile)."});
}
