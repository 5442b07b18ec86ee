// Running a host program for the end-to-end tests: its arguments, its whole
// environment and its working directory chosen, standard input empty and
// standard output and error going to files.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

/// Runs `program` (a path, or a name searched along this process's PATH)
/// with the arguments `argv` (argv[0] the name it is called by) and exactly
/// `environment` ("NAME=value" strings) in
/// `workingDirectory`. Returns the exit status (128 + the signal when
/// killed), or -1 when it did not end within `timeoutSeconds` (it is killed
/// then). Output files may be empty paths: the output is dropped.
/// `prepare`, when given, runs in the child just before the program starts
/// (its output already redirected); when it returns false the child ends
/// with CannotPrepare instead.
constexpr int CannotPrepare = 77;
int runProcess(const std::string& program, const std::vector<std::string>& argv,
               const std::vector<std::string>& environment,
               const std::filesystem::path& workingDirectory, const std::filesystem::path& outFile,
               const std::filesystem::path& errFile, int timeoutSeconds,
               const std::function<bool()>& prepare = {});

/// The full path of a program found along this process's PATH; the name
/// itself when it holds a slash or is not found.
std::string findProgram(const std::string& name);

}  // namespace e2e
