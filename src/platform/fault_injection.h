// A seam for tests: makes one chosen file operation fail, so that a test can
// show that a failure at any step of a file update leaves the files intact.
// Counted operations: opening a file, each write, flush and close of an open
// file, removing a file and replacing one file by another.
#pragma once

namespace platform::faultinjection {

/// Starts counting file operations from now; the `n`-th (1-based) fails.
/// 0 stops failing and counting.
void failFileOperation(int n);

/// The operations counted since failFileOperation.
int fileOperationsCounted();

/// Called by each counted operation: true when this one is to fail.
bool fileOperationFails();

}  // namespace platform::faultinjection
