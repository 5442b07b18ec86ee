// A scratch emulated machine shared by the fuzz targets that need files:
// created once per process, selected through ZORIVT_MACHINE, with the
// working directory in its drive c:.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

/// Creates the machine on first use; returns its host directory.
const std::string& machineDirectory();

/// Writes `size` bytes to a file of the machine ("drive_c/x").
void writeMachineFile(const std::string& relative, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
