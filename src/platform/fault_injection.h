// A seam for tests: makes one chosen file operation fail, or an interrupt
// arrive just before it, so that a test can show that a failure or an
// interrupt at any step of a file update leaves the files intact.
// Counted operations: opening a file, each write, flush and close of an open
// file, and the lock, the creation and the commit of a file replacement.
#pragma once

namespace platform::faultinjection {

/// Starts counting file operations from now; the `n`-th (1-based) fails.
/// 0 stops failing and counting.
void failFileOperation(int n);

/// Starts counting file operations from now; just before the `n`-th the
/// process gets the interrupt signal (SIGINT). 0 stops it and counting.
void interruptFileOperation(int n);

/// The operations counted since failFileOperation or interruptFileOperation.
int fileOperationsCounted();

/// Called by each counted operation: true when this one is to fail.
bool fileOperationFails();

}  // namespace platform::faultinjection
