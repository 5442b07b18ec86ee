#include "collect/collect_main.h"

#include <cstdio>
#include <string>
#include <vector>

#include "collect/snapshot.h"
#include "driver/main_flow.h"
#include "platform/access_recorder.h"
#include "platform/host_files.h"
#include "platform/network_recording.h"

namespace {

void say(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

const char* collectUsageText() {
  return "Usage: zorivt-collect [-option [argument] ... ] output_folder\n\n"
         "       Runs the configuration check with the options given (those of\n"
         "       zorivt but -u) and writes what it read into output_folder,\n"
         "       which must not exist or be empty: a machine directory to run\n"
         "       zorivt on elsewhere, its MANIFEST.txt and the run's zorivt.log.\n\n";
}

int runCollect(int argc, const char* const* argv) {
  if (argc < 2 || argv[argc - 1][0] == '-' || argv[argc - 1][0] == '\0') {
    say(collectUsageText());
    return 1;
  }
  const std::string folder = argv[argc - 1];
  // The checker's options, without the folder; -u would change the machine.
  const CommandLine line = parseCommandLine(argc - 1, argv);
  if (line.usageError || line.switches.updateMode) {
    say(collectUsageText());
    return 1;
  }
  switch (platform::hostFolderState(folder)) {
    case platform::HostFolderState::NotEmpty:
      say("zorivt-collect: the output folder " + folder + " is not empty; nothing was collected\n");
      return ExitSnapshotFailed;
    case platform::HostFolderState::NotFolder:
      say("zorivt-collect: " + folder + " is not a folder; nothing was collected\n");
      return ExitSnapshotFailed;
    case platform::HostFolderState::Missing:
      if (!platform::createHostFolder(folder)) {
        say("zorivt-collect: the output folder " + folder + " cannot be created\n");
        return ExitSnapshotFailed;
      }
      break;
    case platform::HostFolderState::Empty:
      break;
  }
  const std::string machineFolder = platform::machinePathOfHostFolder(folder);
  if (machineFolder.empty()) {
    say("zorivt-collect: the output folder " + folder +
        " cannot be reached as a path of the machine; nothing was collected\n");
    return ExitSnapshotFailed;
  }
  std::string logFile = machineFolder;
  if (logFile.back() != '\\') logFile += '\\';
  logFile += LogFileName;

  SnapshotRecorder recorder;
  platform::installAccessRecorder(&recorder);
  platform::startNetworkRecording();
  const int status = runMain(argc - 1, argv, logFile.c_str());
  platform::installAccessRecorder(nullptr);

  std::vector<std::string> problems;
  const bool written = recorder.write(folder, platform::networkRecordingText(),
                                      platform::networkRecordingSummary(), problems);
  for (const std::string& problem : problems) say("zorivt-collect: " + problem + "\n");
  if (!written) {
    say("zorivt-collect: the snapshot in " + folder + " is incomplete\n");
    return ExitSnapshotFailed;
  }
  return status;
}
