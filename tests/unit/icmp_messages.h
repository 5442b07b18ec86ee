// ICMP messages as the ping tests build them: our echo request, replies,
// errors quoting a datagram, and IPv4 datagrams to the target around them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/ping.h"

namespace icmp_test {

using Bytes = std::vector<unsigned char>;

inline const std::uint32_t Target = 0x0100007F;  // 127.0.0.1 in network byte order
inline const std::uint32_t Other = 0x0200007F;   // 127.0.0.2

inline Bytes request() {
  unsigned char buffer[PingBufferSize];
  buildEchoRequest(buffer);
  return Bytes(buffer, buffer + EchoRequestLength);
}

inline Bytes withChecksum(Bytes icmp) {
  icmp[2] = icmp[3] = 0;
  std::uint16_t sum = internetChecksum(icmp.data(), icmp.size());
  icmp[2] = sum & 0xFF;
  icmp[3] = sum >> 8;
  return icmp;
}

inline Bytes echoReply(unsigned char idLow, unsigned char seqLow) {
  Bytes icmp(32, 0);
  icmp[4] = idLow;
  icmp[6] = seqLow;
  return withChecksum(icmp);
}

/// An ICMP error message quoting `quotedDatagram` (IP header and ICMP).
inline Bytes errorAbout(unsigned char type, unsigned char code, const Bytes& quotedDatagram) {
  Bytes icmp(8 + 28, 0);
  icmp[0] = type;
  icmp[1] = code;
  std::copy(quotedDatagram.begin(), quotedDatagram.begin() + 28, icmp.begin() + 8);
  return withChecksum(icmp);
}

/// An IPv4 datagram from `source` to the target that carries `icmp`.
inline Bytes datagram(std::uint32_t source, const Bytes& icmp) {
  Bytes result(20, 0);
  result[0] = 0x45;
  result[9] = 1;  // ICMP
  std::memcpy(&result[12], &source, 4);
  std::memcpy(&result[16], &Target, 4);
  result.resize(20 + icmp.size());
  std::copy(icmp.begin(), icmp.end(), result.begin() + 20);
  return result;
}

}  // namespace icmp_test
