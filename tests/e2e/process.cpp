#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

std::string findProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string candidate = list.substr(start, end - start) + "/" + name;
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return name;
}

int runProcess(const std::string& program, const std::vector<std::string>& argv,
               const std::vector<std::string>& environment,
               const std::filesystem::path& workingDirectory, const std::filesystem::path& outFile,
               const std::filesystem::path& errFile, int timeoutSeconds,
               const std::function<bool()>& prepare) {
  const std::string path = findProgram(program);
  std::vector<std::string> args = argv;
  std::vector<std::string> env = environment;
  std::vector<char*> rawArgv, rawEnvp;
  for (std::string& a : args) rawArgv.push_back(a.data());
  rawArgv.push_back(nullptr);
  for (std::string& e : env) rawEnvp.push_back(e.data());
  rawEnvp.push_back(nullptr);
  const std::string out = outFile.empty() ? "/dev/null" : outFile.string();
  const std::string err = errFile.empty() ? "/dev/null" : errFile.string();

  pid_t child = ::fork();
  if (child == 0) {
    // A process group of its own, so that a timeout ends whatever it started.
    ::setpgid(0, 0);
    int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int inFd = ::open("/dev/null", O_RDONLY);
    if (outFd < 0 || errFd < 0 || inFd < 0 || ::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
    ::dup2(inFd, 0);
    ::dup2(outFd, 1);
    ::dup2(errFd, 2);
    if (prepare && !prepare()) ::_exit(CannotPrepare);
    ::execve(path.c_str(), rawArgv.data(), rawEnvp.data());
    ::_exit(127);
  }
  if (child < 0) return -1;
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  for (auto pause = std::chrono::microseconds(200);;) {
    pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-child, SIGKILL);
      ::waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(2)) pause *= 2;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace e2e
