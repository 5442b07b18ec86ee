// The run's settings, handed to installation discovery, the check driver and
// every check and update routine.
#pragma once

#include <cstdint>

#include "driver/str.h"

struct CheckOptions {
  Str productPath;                        // set by installation discovery
  Str dllDirectory;                       // set by installation discovery (= productPath)
  Str profileName = Str("zorpzcfg.prf");  // -f; then the absolute path of the profile used
  std::uint32_t protocols = 0;            // configured QuorLink protocols (ProtocolLoc, ...)
  Str givenEtcDirectory;                  // -u argument: TCP/IP directory to update
  std::int32_t version = 230;             // -2: major * 100 + minor * 10
  bool testAvailability = false;          // -t
};

/// Bits of CheckOptions::protocols.
constexpr std::uint32_t ProtocolLoc = 1;
constexpr std::uint32_t ProtocolTci = 2;
constexpr std::uint32_t ProtocolSna = 4;

/// Settings that only the main flow and the run phase see.
struct RunSwitches {
  bool updateMode = false;  // -u
  bool scanMode = false;    // -s
  Str scanMasks;            // -s argument; empty when none was given
  Str variableList;         // -v argument
};
