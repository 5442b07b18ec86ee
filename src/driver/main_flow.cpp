#include "driver/main_flow.h"

#include <cstdio>
#include <new>

#include "config/path_utils.h"
#include "driver/message.h"
#include "driver/option_scanner.h"
#include "driver/report_log.h"
#include "driver/run_phase.h"
#include "driver/time_text.h"
#include "platform/ascii.h"
#include "platform/clock.h"
#include "platform/process.h"

namespace {

constexpr std::int32_t HighestVersion = 999;

struct UsageLine {
  const char* option;
  const char* description;
};

const UsageLine UsageLines[] = {
    {"-21", "Perform checks for Corvanta Version 2.1"},
    {"-22", "Perform checks for Corvanta Version 2.2"},
    {"-23", "Perform checks for Corvanta Version 2.3"},
    {"-f cv_profile", "Use another than the default profile"},
    {"-e", "Display only error messages"},
    {"-i", "Display also informational messages"},
    {"-d", "Write debug messages (implies -i)"},
    {"-u [etc_directory]", "Update TCP/IP services file"},
    {"-s [filemask;...]", "Scan files for version string"},
    {"-v var [;var...]", "Display value of variables"},
    {"-t", "Test QuorLink availability (TCP/IP only)"},
};

/// "2" followed by the leading digits of the argument; stops counting once
/// the value is out of range (the caller rejects it then).
std::int32_t versionFromArgument(const Str& argument) {
  std::int32_t version = 2;
  for (std::size_t i = 1; i <= argument.length(); ++i) {
    char c = argument.at(i);
    if (c < '0' || c > '9') break;
    version = version * 10 + (c - '0');
    if (version > HighestVersion) break;
  }
  return version;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  OptionScanner scanner(argc, argv, OptionLetters);
  for (int c = scanner.nextOption(); c != OptionScanner::EndOfOptions; c = scanner.nextOption()) {
    const Str& argument = scanner.optionArgument();
    switch (platform::ascii::lower(static_cast<char>(c))) {
      case '2':
        line.options.version = versionFromArgument(argument);
        if (line.options.version > HighestVersion) line.usageError = true;
        break;
      case 'f':
        line.options.profileName = argument;
        if (extensionOf(argument).empty()) line.options.profileName.append(".prf");
        break;
      case 'd':
        line.threshold = ThresholdDebug;
        break;
      case 'i':
        line.threshold = ThresholdInfo;
        break;
      case 'e':
        line.threshold = ThresholdErrors;
        break;
      case 's':
        line.switches.scanMode = true;
        if (!argument.empty()) line.switches.scanMasks = argument;
        break;
      case 't':
        line.options.testAvailability = true;
        break;
      case 'u':
        line.switches.updateMode = true;
        if (!argument.empty()) line.options.givenEtcDirectory = argument;
        break;
      case 'v':
        line.switches.variableList = argument;
        break;
      default:
        line.usageError = true;
        break;
    }
  }
  if (scanner.index() < argc) line.usageError = true;
  return line;
}

std::string usageText(const char* program) {
  std::string text = "Usage: ";
  text += program ? program : "";
  text += " [-option [argument] ... ]\n\n       The following options are valid:\n\n";
  for (const UsageLine& usage : UsageLines) {
    std::string option = usage.option;
    option.resize(20, ' ');
    text += "       " + option + usage.description + "\n";
  }
  text += "\n";
  return text;
}

int runMain(int argc, const char* const* argv) {
  return runMain(argc, argv, LogFileName);
}

int runMain(int argc, const char* const* argv, const char* logFile) {
  platform::prepareStandardStreams();
  CommandLine line = parseCommandLine(argc, argv);
  if (line.usageError) {
    std::string usage = usageText(argc > 0 ? argv[0] : "");
    std::fwrite(usage.data(), 1, usage.size(), stderr);
    std::fflush(stderr);
    return 1;
  }

  CheckOptions& options = line.options;
  const MessageId threshold = line.switches.updateMode ? ThresholdUpdate : line.threshold;
  int result = 0;
  {
    ReportLog log(logFile, threshold);

    // The C runtime's ctime layout (the Windows runtime writes the day of
    // the month with a leading zero where POSIX hosts write a blank), from
    // the platform's 64-bit clock rather than a time_t that may end in 2038;
    // its line end is the message's own.
    report(log, msg::CHK0000I, CheckerLevel, runtimeCtimeText(platform::currentTime()));

    if (options.version < 100) options.version *= 10;
    report(log, msg::CHK0001I, options.version / 100, options.version % 100);
    writeLineEnd(log);
    report(log, msg::CHK0050I, "Setup");

    Str logPath = absolutePath(logFile);
    if (log.fileGood()) {
      report(log, msg::CHK0056I, logPath);
    } else {
      report(log, msg::CHK0007R, logPath);
    }

    // Memory can run out on a huge input however carefully the routines
    // size their work: the run then ends with a message of its own, the log
    // holding everything reported before.
    try {
      result = runPhase(log, options, line.switches);
    } catch (const std::bad_alloc&) {
      endRunPhase();
      log.clear();
      report(log, msg::CHK0097R);
      log.flush();
      return ExitOutOfMemory;
    }

    report(log, msg::CHK0999I);
    endRunPhase();
    if (!log.finish()) {
      // The console may be gone; standard error is the one channel left.
      const std::string line = "zorivt: the log file " + logPath.str() +
                               " could not be written completely: " + log.failureReason() + "\n";
      std::fwrite(line.data(), 1, line.size(), stderr);
      std::fflush(stderr);
      result = ExitLogWriteFailed;
    }
  }
  return result;
}

int runMainGuarded(int argc, const char* const* argv) {
  try {
    return runMain(argc, argv);
  } catch (const std::bad_alloc&) {
    // Before the log exists or after it is closed: the console alone.
    const char* text = lookupMessageText(msg::CHK0097R);
    std::fputs(text != nullptr ? text : "", stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return ExitOutOfMemory;
  }
}
