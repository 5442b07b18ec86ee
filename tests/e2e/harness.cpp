#include "harness.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "process.h"
#include "wine_prefix.h"

namespace fs = std::filesystem;

namespace e2e {

std::string checkerBinary() {
  const char* chosen = std::getenv("ZORIVT_E2E_BINARY");
  return chosen && *chosen ? chosen : ZORIVT_BINARY;
}

namespace {

std::string quoted(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word.find_first_of(" \t;*?") == std::string::npos ? word : "'" + word + "'";
  }
  return text;
}

constexpr int RunTimeoutSeconds = 120;

/// The text a run wrote to the console or its log: the Windows build writes
/// them in text mode, which ends each line with CR LF.
std::string consoleText(const std::string& written) {
  return windowsBuild() ? test_support::withLineFeeds(written) : written;
}

}  // namespace

TestMachine::TestMachine() : TestMachine(test_support::createTemporaryFolder("zorivt-e2e-")) {}

TestMachine::TestMachine(const fs::path& folder)
    : MachineDirectory(folder / "machine"), folder_(folder) {
  environment_["ZORIVT_MACHINE"] = root().string();
}

TestMachine::~TestMachine() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  if (info != nullptr && info->result()->Failed()) {
    std::fprintf(stderr, "test folder kept: %s\n", folder_.string().c_str());
    return;
  }
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

TestMachine& TestMachine::registry(const std::string& body) {
  return file("registry.reg", "REGEDIT4\n\n" + body);
}

TestMachine& TestMachine::env(const std::string& name, const std::string& value) {
  environment_[name] = value;
  return *this;
}

TestMachine& TestMachine::unsetEnv(const std::string& name) {
  environment_.erase(name);
  return *this;
}

TestMachine& TestMachine::workingDirectory(const std::string& relative) {
  workingDirectory_ = relative;
  return *this;
}

RunResult TestMachine::run(const std::vector<std::string>& arguments) const {
  RunResult result;
  const std::string binary = checkerBinary();
  const fs::path cwd = root() / workingDirectory_;
  fs::create_directories(cwd);
  const fs::path outPath = folder_ / "stdout.txt";
  const fs::path errPath = folder_ / "stderr.txt";

  std::vector<std::string> envp = sanitizerSettings(environment_);
  for (const auto& [name, value] : environment_) envp.push_back(name + "=" + value);
  if (windowsBuild()) {
    const fs::path& prefix = wine::currentPrefix();
    const wine::Environment environment(environment_.begin(), environment_.end());
    result.command = "cd " + cwd.string() + " && env -i " +
                     quoted(wine::hostEnvironment(prefix, environment)) + " wine zorivt " +
                     quoted(arguments) + "  (zorivt.exe: " + binary + ")";
    wine::MachineLease lease(prefix, root(), binary);
    if (!lease.error().empty()) {
      ADD_FAILURE() << "cannot lay out the machine in the Wine prefix " << prefix.string() << ": "
                    << lease.error();
      return result;
    }
    result.exitStatus =
        wine::run(prefix, binary, arguments, environment, cwd, outPath, errPath, RunTimeoutSeconds);
  } else {
    result.command = "cd " + cwd.string() + " && env -i " + quoted(envp) + " " + binary + " " +
                     quoted(arguments);
    std::vector<std::string> argv{"zorivt"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    result.exitStatus = runProcess(binary, argv, envp, cwd, outPath, errPath, RunTimeoutSeconds);
  }
  if (result.exitStatus < 0) ADD_FAILURE() << "checker timed out: " << result.command;
  result.out = splitLines(consoleText(readFile(outPath)));
  result.err = splitLines(consoleText(readFile(errPath)));
  result.log = splitLines(consoleText(readFile(cwd / "zorivt.log")));
  checkRoundTrip(arguments, result);
  return result;
}

std::vector<std::string> sanitizerSettings(const std::map<std::string, std::string>& except) {
  std::vector<std::string> settings;
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && !except.count(name))
      settings.push_back(std::string(name) + "=" + value);
  }
  return settings;
}

void copyDemoMachine(const TestMachine& machine) {
  fs::copy(fs::path(ZORIVT_SOURCE_DIR) / "examples" / "demo-machine", machine.root(),
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

bool windowsBuild() {
  const std::string binary = checkerBinary();
  return binary.size() > 4 && (binary.compare(binary.size() - 4, 4, ".exe") == 0 ||
                               binary.compare(binary.size() - 4, 4, ".EXE") == 0);
}

bool isStartLine(const std::string& line) {
  static const std::string head = "CHK0000I: Configuration check (" ZORIVT_LEVEL ") started on ";
  static const std::regex time(
      R"((Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
      R"([ 0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4})");
  return line.compare(0, head.size(), head) == 0 &&
         std::regex_match(line.substr(head.size()), time);
}

std::string shown(const std::string& text) {
  std::string result;
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\t') || c == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "<0x%02x>", c);
      result += escaped;
    } else {
      result += static_cast<char>(c);
    }
  }
  return result;
}

void expectLines(const RunResult& run, const char* what, const std::vector<std::string>& actual,
                 const std::vector<std::string>& expected) {
  bool same = actual.size() == expected.size();
  for (std::size_t i = 0; same && i < actual.size(); ++i) {
    if (expected[i] == "CHK0000I*") {
      same = isStartLine(actual[i]);
    } else {
      same = actual[i] == expected[i];
    }
  }
  if (same) return;
  std::ostringstream message;
  message << what << " differs\n  command: " << run.command << "\n  expected:\n";
  for (const std::string& line : expected) message << "    |" << line << "\n";
  message << "  actual:\n";
  for (const std::string& line : actual) message << "    |" << line << "\n";
  ADD_FAILURE() << message.str();
}

std::vector<std::string> startLines(const std::string& logPath, const char* version) {
  return {"CHK0000I*", std::string("CHK0001I: Performing Corvanta V") + version + " checks.", "",
          "CHK0050I: ===> Setup checks.", "CHK0056I: Writing log file " + logPath + "."};
}

void expectBlock(const RunResult& run, int exitStatus, const std::vector<std::string>& expected) {
  EXPECT_EQ(run.exitStatus, exitStatus) << run.command;
  // Outside the block, a stray line still shows: every line of a whole run
  // is a message line or empty, and the closing line ends the log once.
  const std::string closing = "CHK0999I: Configuration-checking utility ended.";
  int closings = 0;
  for (const std::string& line : run.log) {
    closings += line == closing ? 1 : 0;
    EXPECT_TRUE(line.empty() || (line.size() > 10 && line.compare(0, 3, "CHK") == 0 &&
                                 line.compare(8, 2, ": ") == 0))
        << "stray log line |" << line << "|\n  command: " << run.command;
  }
  // One closing line means the log is not empty.
  EXPECT_TRUE(closings == 1 && run.log.back() == closing)
      << "log not closed once\n  command: " << run.command;
  std::vector<std::string> block;
  bool inside = false;
  for (const std::string& line : run.log) {
    if (!inside && !expected.empty() && line == expected.front()) inside = true;
    if (!inside) continue;
    if (line.empty()) break;
    block.push_back(line);
  }
  if (!inside) {
    std::ostringstream message;
    message << "log has no block starting with |" << (expected.empty() ? "" : expected.front())
            << "|\n  command: " << run.command << "\n  log:\n";
    for (const std::string& line : run.log) message << "    |" << line << "\n";
    ADD_FAILURE() << message.str();
    return;
  }
  expectLines(run, "log block", block, expected);
}

namespace {

std::string logPathIn(const std::string& directory) {
  return directory + (!directory.empty() && directory.back() == '\\' ? "" : "\\") + "zorivt.log";
}

/// The discovery lines of a machine whose registry names no product
/// directory, run in `directory`.
std::vector<std::string> fallbackLines(const std::string& directory) {
  return {"CHK0080A: Registry does not contain an entry for Corvanta.",
          "CHK0061A: Assuming current directory " + directory + " as product path."};
}

}  // namespace

std::vector<std::string> setupBlock(const std::string& directory,
                                    const std::vector<std::string>& more) {
  std::vector<std::string> lines{"CHK0050I: ===> Setup checks.",
                                 "CHK0056I: Writing log file " + logPathIn(directory) + "."};
  for (const std::string& line : fallbackLines(directory)) lines.push_back(line);
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

std::vector<std::string> emptyMachineLog(const std::string& directory, bool debug) {
  std::vector<std::string> log = startLines(logPathIn(directory));
  for (const std::string& line : fallbackLines(directory)) log.push_back(line);
  log.push_back("CHK0062R: Corvanta profile zorpzcfg.prf not found.");
  if (debug) log.push_back("CHK--DBG: PATH = '" + directory + "'");
  for (const char* line :
       {"", "CHK0050I: ===> General checks.", "CHK0055I: The operating system is Windows NT 4.00.",
        "CHK0011R: Variable ZOR_FILES is not set.", "CHK0083I: Tracing is disabled (0, 0, 0).",
        ""}) {
    log.push_back(line);
  }
  for (const char* component :
       {"Database Server (osserver.exe)", "QuorLink Server (zorpisrv.exe)",
        "R/T Server (zorpesrv.exe)", "Bundle Server (zorposrv.exe)",
        "Notification Server (zorpwess.exe)", "Delivery Server (zorpedes.exe)",
        "R/T Client (zorbssrt.exe)", "Execution Client (zorbxcli.exe)",
        "Bundle Client (zorbobcl.exe)"}) {
    log.push_back(std::string("CHK0052I: ===> ") + component + " not installed.");
    log.push_back("");
  }
  log.push_back("CHK0999I: Configuration-checking utility ended.");
  return log;
}

namespace {

/// The section or component a block's first line names ("General",
/// "R/T Server"); empty for any other line.
std::string blockName(const std::string& line) {
  const std::size_t start = line.find("===> ");
  if (line.rfind("CHK005", 0) != 0 || start == std::string::npos) return "";
  std::string name = line.substr(start + 5);
  for (const char* end : {" (", " found,", " checks."}) name = name.substr(0, name.find(end));
  return name;
}

}  // namespace

std::vector<std::string> machineLog(const std::string& directory,
                                    const std::vector<std::vector<std::string>>& blocks) {
  std::vector<std::string> log = emptyMachineLog(directory);
  for (const std::vector<std::string>& block : blocks) {
    auto first = log.begin();
    while (first != log.end() && blockName(*first) != blockName(block.front())) ++first;
    if (first == log.end()) {
      ADD_FAILURE() << "no block like |" << block.front() << "| in the log of a small machine";
      continue;
    }
    const auto end = std::find(first, log.end(), std::string());
    log.insert(log.erase(first, end), block.begin(), block.end());
  }
  return log;
}

void expectWholeLog(const RunResult& run, int exitStatus,
                    const std::vector<std::string>& expected) {
  EXPECT_EQ(run.exitStatus, exitStatus) << run.command;
  expectLines(run, "log", run.log, expected);
}

std::string windowsDirectory() {
  return windowsBuild() ? "c:\\windows" : "c:\\winnt";
}

std::string windowsDirectoryOnMachine() {
  return windowsBuild() ? "drive_c/windows" : "drive_c/WINNT";
}

std::string winsockDescription() {
  return windowsBuild() ? "WinSock 2.0" : "Zorivt Winsock 1.1 emulation over BSD sockets";
}

bool resolverReadsTheMachineHostsFile() {
  return !windowsBuild();
}

std::string ownAddressUnderWine() {
  std::string found = "127.0.0.1";
  struct ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return found;
  for (struct ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
    if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET) continue;
    const auto* in = reinterpret_cast<const struct sockaddr_in*>(a->ifa_addr);
    if ((ntohl(in->sin_addr.s_addr) >> 24) == 127) continue;
    char text[INET_ADDRSTRLEN] = {0};
    if (::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr) found = text;
    break;
  }
  ::freeifaddrs(list);
  return found;
}

bool slashPathsAreHostPaths() {
  return windowsBuild();
}

}  // namespace e2e
