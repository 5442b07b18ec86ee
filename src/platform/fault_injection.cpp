// The file-operation fault seam, common to both backends.
#include "platform/fault_injection.h"

#include <csignal>

namespace platform::faultinjection {
namespace {
int failAt = 0;
int interruptAt = 0;
int counted = 0;
}  // namespace

void failFileOperation(int n) {
  failAt = n;
  interruptAt = 0;
  counted = 0;
}

void interruptFileOperation(int n) {
  interruptAt = n;
  failAt = 0;
  counted = 0;
}

int fileOperationsCounted() {
  return counted;
}

bool fileOperationFails() {
  if (failAt == 0 && interruptAt == 0) return false;
  ++counted;
  if (counted == interruptAt) std::raise(SIGINT);
  return counted == failAt;
}

}  // namespace platform::faultinjection
