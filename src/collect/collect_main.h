// zorivt-collect: runs the checker's own check with every read of the
// machine recorded, its log in the output folder, and writes the snapshot
// of what was read there.
#pragma once

/// Exit status when the output folder cannot be used or the snapshot not
/// written whole.
constexpr int ExitSnapshotFailed = 5;

/// The usage text of zorivt-collect.
const char* collectUsageText();

/// The program's entry: `zorivt-collect [checker options] <output folder>`.
/// Returns 1 for a usage error, ExitSnapshotFailed when the folder is
/// refused or the snapshot could not be written, else the check's status.
int runCollect(int argc, const char* const* argv);
