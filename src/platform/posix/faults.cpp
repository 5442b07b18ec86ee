// POSIX backend only: reading the machine's faults file.
#include "platform/posix/faults.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/posix/machine.h"

namespace platform::posix {
namespace {

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

void applyLine(const std::string& line, Faults& faults) {
  std::istringstream words(line);
  std::string first, second, third, extra;
  words >> first >> second >> third >> extra;
  if (first.empty() || first[0] == '#' || !extra.empty()) return;
  first = lowerAscii(first);
  const std::string keyword = lowerAscii(second);
  if (first == "wsock32") {
    if (keyword == "missing" && third.empty()) faults.wsock32Missing = true;
    if (keyword == "startup-fails" && third.empty()) faults.startupFails = true;
    if (keyword == "lacks" && !third.empty()) faults.lackedProcedures.push_back(third);
  } else if (first == "raw-sockets" && third.empty()) {
    if (keyword == "denied") faults.rawSocketsDenied = true;
    if (keyword == "unsupported") faults.rawSocketsUnsupported = true;
  } else if (first == "resolver" && keyword == "hosts-only" && third.empty()) {
    faults.resolverHostsOnly = true;
  }
}

}  // namespace

bool Faults::lacks(const char* procedure) const {
  for (const std::string& name : lackedProcedures) {
    if (name == procedure) return true;
  }
  return false;
}

Faults currentFaults() {
  Faults faults;
  const std::string path = Machine::current().machineFile("faults");
  if (path.empty()) return faults;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return faults;
  std::string line;
  for (int c = std::getc(file);; c = std::getc(file)) {
    if (c == EOF || c == '\n') {
      applyLine(line, faults);
      line.clear();
      if (c == EOF) break;
    } else {
      line += static_cast<char>(c);
    }
  }
  std::fclose(file);
  return faults;
}

}  // namespace platform::posix
