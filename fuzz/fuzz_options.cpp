// The command line: an argument vector made of the input's NUL-separated
// words goes through the option scanner and the usage text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/main_flow.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"zorivt"};
  std::string word;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  words.push_back(word);
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  CommandLine line = parseCommandLine(static_cast<int>(words.size()), argv.data());
  // A version beyond three digits must be refused as a usage error.
  if (line.options.version > 999 && !line.usageError) __builtin_trap();
  if (line.usageError) (void)usageText(argv[0]);
  return 0;
}
