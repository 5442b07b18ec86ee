// The registry keys and values a run read, written as a regedit export file
// that the emulated machine reads back to the same types and bytes.
#pragma once

#include <string>
#include <vector>

#include "platform/access_recorder.h"

struct ExportedKey {
  std::string path;  // below HKEY_LOCAL_MACHINE, "" for the hive itself
  std::vector<platform::RecordedValue> values;
};

/// The export text: REGEDIT4, a section per key in the given order, its
/// values in their order. A value that no line of the format can hold (a
/// name with a line end) is left out and its description added to `skipped`.
std::string exportRegistry(const std::vector<ExportedKey>& keys, std::vector<std::string>& skipped);
