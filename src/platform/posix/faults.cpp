// POSIX backend only: reading the machine's faults file.
#include "platform/posix/faults.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/ascii.h"
#include "platform/posix/machine.h"

namespace platform::posix {
namespace {

void applyLine(const std::string& line, Faults& faults) {
  std::istringstream words(line);
  std::string first, second, third, extra;
  words >> first >> second >> third >> extra;
  if (first.empty() || first[0] == '#' || !extra.empty()) return;
  first = ascii::lowered(first);
  const std::string keyword = ascii::lowered(second);
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

bool HostFileIdentity::describe(const std::string& hostPath) {
  path = hostPath;
  struct stat st;
  if (hostPath.empty() || ::stat(hostPath.c_str(), &st) != 0) return false;
  device = st.st_dev;
  inode = st.st_ino;
  size = st.st_size;
  modified = st.st_mtim;
  return true;
}

bool HostFileIdentity::operator==(const HostFileIdentity& other) const {
  return path == other.path && device == other.device && inode == other.inode &&
         size == other.size && modified.tv_sec == other.modified.tv_sec &&
         modified.tv_nsec == other.modified.tv_nsec;
}

bool Faults::lacks(const char* procedure) const {
  for (const std::string& name : lackedProcedures) {
    if (name == procedure) return true;
  }
  return false;
}

namespace {

Faults readFaults(std::FILE* file) {
  Faults faults;
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
  return faults;
}

}  // namespace

Faults currentFaults() {
  // The socket emulation asks at every call: the file is read once and read
  // again only when it has changed (or another machine was selected).
  static HostFileIdentity cachedFrom;
  static Faults cached;
  HostFileIdentity identity;
  if (!identity.describe(Machine::current().machineFile("faults"))) return Faults();
  if (identity == cachedFrom) return cached;

  std::FILE* file = openRegularHostStream(identity.path);
  if (file == nullptr) return Faults();
  cached = readFaults(file);
  std::fclose(file);
  cachedFrom = identity;
  return cached;
}

}  // namespace platform::posix
