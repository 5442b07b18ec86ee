// ICMP echo ("ping") of one host over a raw socket of an opened
// SocketLibrary.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/report_log.h"
#include "net/socket_library.h"

constexpr std::size_t PingBufferSize = 256;
constexpr int EchoRequestLength = 32;
constexpr std::uint16_t EchoIdentifier = 239;
constexpr std::uint16_t EchoSequence = 42;
constexpr int PingTimeoutSeconds = 3;

/// The Internet checksum (RFC 1071) of `length` bytes, taken as 16-bit
/// words stored least significant byte first (an odd last byte is the low
/// byte of a last word). Stored back the same way, the message then sums to
/// 0xFFFF.
std::uint16_t internetChecksum(const unsigned char* data, std::size_t length);

/// Fills `buffer` with the echo request: type 8, code 0, checksum,
/// identifier 239 and sequence 42 (each least significant byte first), zero
/// data. Its first EchoRequestLength bytes are what is sent.
void buildEchoRequest(unsigned char (&buffer)[PingBufferSize]);

/// Whether a datagram received on the raw socket (IPv4 header, then ICMP)
/// answers our echo request to `target`: an echo reply from `target` with
/// our identifier and sequence number, or an ICMP error message (types 3,
/// 4, 5, 11, 12) that quotes that request. Echo requests (the raw socket
/// sees our own when pinging this machine) and anything shorter than the
/// headers never do.
bool answersEchoRequest(const unsigned char* datagram, std::size_t length, std::uint32_t source,
                        std::uint32_t target);

/// Sends one echo request to `address` (network byte order) and waits at
/// most PingTimeoutSeconds in all for its answer, skipping datagrams that
/// do not answer it. True for an echo reply. False after reporting why:
/// CHK0311A (no icmp protocol), CHK0317I / CHK0318I (raw socket refused or
/// unsupported), CHK0322A (unreachable), CHK0312A (time-out), CHK0313R
/// (destination unreachable), CHK0315A (another ICMP answer), or CHK0002R
/// of the failed call. The answer decided on is shown in a debug line.
bool pingHost(SocketLibrary& sockets, ReportLog& log, std::uint32_t address);
