#include "harness.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace e2e {
namespace {

std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string checkerBinary() {
  const char* chosen = std::getenv("ZORIVT_E2E_BINARY");
  return chosen && *chosen ? chosen : ZORIVT_BINARY;
}

std::string quoted(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word.find_first_of(" \t;*?") == std::string::npos ? word : "'" + word + "'";
  }
  return text;
}

constexpr int RunTimeoutSeconds = 120;

}  // namespace

TestMachine::TestMachine() {
  std::random_device device;
  std::ostringstream name;
  name << "zorivt-e2e-" << std::hex << device() << device();
  folder_ = fs::temp_directory_path() / name.str();
  machine_ = folder_ / "machine";
  fs::create_directories(machine_ / "drive_c");
  folder_ = fs::canonical(folder_);
  machine_ = folder_ / "machine";
  environment_["ZORIVT_MACHINE"] = machine_.string();
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

TestMachine& TestMachine::file(const std::string& relative, const std::string& content) {
  fs::path path = machine_ / relative;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << content;
  return *this;
}

TestMachine& TestMachine::directory(const std::string& relative) {
  fs::create_directories(machine_ / relative);
  return *this;
}

TestMachine& TestMachine::registry(const std::string& body) {
  return file("registry.reg", "REGEDIT4\n\n" + body);
}

TestMachine& TestMachine::faults(const std::string& lines) {
  return file("faults", lines);
}

std::string TestMachine::read(const std::string& relative) const {
  return readWhole(machine_ / relative);
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
  const fs::path cwd = machine_ / workingDirectory_;
  fs::create_directories(cwd);
  const fs::path outPath = folder_ / "stdout.txt";
  const fs::path errPath = folder_ / "stderr.txt";

  std::vector<std::string> argv{"zorivt"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> envp;
  for (const auto& [name, value] : environment_) envp.push_back(name + "=" + value);
  result.command =
      "cd " + cwd.string() + " && env -i " + quoted(envp) + " " + binary + " " + quoted(arguments);

  std::vector<char*> rawArgv, rawEnvp;
  for (std::string& a : argv) rawArgv.push_back(a.data());
  rawArgv.push_back(nullptr);
  for (std::string& e : envp) rawEnvp.push_back(e.data());
  rawEnvp.push_back(nullptr);

  pid_t child = ::fork();
  if (child == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execve(binary.c_str(), rawArgv.data(), rawEnvp.data());
    ::_exit(127);
  }
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(RunTimeoutSeconds);
  for (;;) {
    pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      ADD_FAILURE() << "checker timed out: " << result.command;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.outText = readWhole(outPath);
  result.errText = readWhole(errPath);
  result.out = splitLines(result.outText);
  result.err = splitLines(result.errText);
  const fs::path logPath = cwd / "zorivt.log";
  result.logExists = fs::exists(logPath);
  if (result.logExists) result.log = splitLines(readWhole(logPath));
  return result;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool isStartLine(const std::string& line) {
  static const std::regex pattern(
      R"(CHK0000I: Configuration check \(V2R3\.4\.2\) started on )"
      R"((Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
      R"([ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4})");
  return std::regex_match(line, pattern);
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

void expectBlock(const RunResult& run, const std::vector<std::string>& expected) {
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

std::string hostName() {
  char name[256] = {0};
  if (::gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

bool rawSocketsAllowed() {
  int s = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
  if (s < 0) return false;
  ::close(s);
  return true;
}

}  // namespace e2e
