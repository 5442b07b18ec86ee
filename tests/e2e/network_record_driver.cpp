// The checker with its Winsock calls recorded, for the network replay's
// round trip: `zorivt_network_record_driver FILE [checker arguments]` runs
// the checker as `zorivt [checker arguments]` would and then writes the
// recorded calls to FILE, in the machine directory's `network` format.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/main_flow.h"
#include "platform/network_recording.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [checker arguments]\n", argv[0]);
    return 2;
  }
  std::vector<char*> arguments{argv[0]};
  arguments.insert(arguments.end(), argv + 2, argv + argc);
  platform::startNetworkRecording();
  const int status = runMainGuarded(static_cast<int>(arguments.size()), arguments.data());
  const std::string text = platform::networkRecordingText();
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
      std::fclose(file) != 0) {
    std::fprintf(stderr, "cannot write the recorded network calls to %s\n", argv[1]);
    return 2;
  }
  return status;
}
