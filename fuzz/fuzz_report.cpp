// zorivt-report's log reader and its outputs: the input is a log, read in
// one piece and again cut at a place the first byte chooses. Both readings
// must agree, and neither the text summary nor the JSON may pass on a
// control character of the input (a tab, which moves no line, excepted, as
// the checker's own escaping leaves it).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "report/log_summary.h"
#include "report/report_output.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  LogReader whole;
  whole.feed(bytes, size);
  const LogSummary one = whole.finish();
  LogReader cut;
  const std::size_t at = size == 0 ? 0 : static_cast<unsigned char>(bytes[0]) % (size + 1);
  cut.feed(bytes, at);
  cut.feed(bytes + at, size - at);
  const LogSummary two = cut.finish();
  if (one.state != two.state || one.errors != two.errors || one.attention != two.attention ||
      one.information != two.information || one.sections.size() != two.sections.size()) {
    __builtin_trap();
  }
  std::ostringstream text, json;
  const std::vector<NamedSummary> logs{NamedSummary{"zorivt.log", one}};
  writeSummary(text, logs.front());
  writeJson(json, logs);
  for (const std::string& out : {text.str(), json.str()}) {
    for (const char c : out) {
      const unsigned char u = static_cast<unsigned char>(c);
      if ((u < 0x20 && c != '\n' && c != '\t') || u == 0x7f) __builtin_trap();
    }
  }
  return 0;
}
