// The file-operation fault seam, common to both backends.
#include "platform/fault_injection.h"

namespace platform::faultinjection {
namespace {
int failAt = 0;
int counted = 0;
}  // namespace

void failFileOperation(int n) {
  failAt = n;
  counted = 0;
}

int fileOperationsCounted() { return counted; }

bool fileOperationFails() {
  if (failAt == 0) return false;
  return ++counted == failAt;
}

}  // namespace platform::faultinjection
