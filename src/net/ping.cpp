#include "net/ping.h"

#include <chrono>
#include <cstring>

#include "driver/message.h"

namespace {

constexpr int IcmpEchoReply = 0;
constexpr int IcmpUnreachable = 3;
constexpr int IcmpSourceQuench = 4;
constexpr int IcmpRedirect = 5;
constexpr int IcmpEchoRequest = 8;
constexpr int IcmpTimeExceeded = 11;
constexpr int IcmpParameterProblem = 12;
constexpr int IpProtocolIcmp = 1;
constexpr std::size_t MinimumIpHeader = 20;
constexpr std::size_t IcmpHeaderLength = 8;

std::size_t ipHeaderLength(const unsigned char* datagram) {
  return static_cast<std::size_t>(datagram[0] & 0x0F) * 4;
}

std::uint16_t littleEndianAt(const unsigned char* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool isOurRequest(const unsigned char* icmp) {
  return icmp[0] == IcmpEchoRequest && littleEndianAt(icmp + 4) == EchoIdentifier &&
         littleEndianAt(icmp + 6) == EchoSequence;
}

bool isErrorMessage(int type) {
  return type == IcmpUnreachable || type == IcmpSourceQuench || type == IcmpRedirect ||
         type == IcmpTimeExceeded || type == IcmpParameterProblem;
}

}  // namespace

std::uint16_t internetChecksum(const unsigned char* data, std::size_t length) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 1 < length; i += 2) sum += littleEndianAt(data + i);
  if (i < length) sum += data[i];
  sum = (sum & 0xFFFF) + (sum >> 16);
  sum += sum >> 16;
  return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

void buildEchoRequest(unsigned char (&buffer)[PingBufferSize]) {
  std::memset(buffer, 0, sizeof buffer);
  buffer[0] = IcmpEchoRequest;
  buffer[4] = EchoIdentifier & 0xFF;
  buffer[5] = EchoIdentifier >> 8;
  buffer[6] = EchoSequence & 0xFF;
  buffer[7] = EchoSequence >> 8;
  const std::uint16_t checksum = internetChecksum(buffer, sizeof buffer);
  buffer[2] = checksum & 0xFF;
  buffer[3] = checksum >> 8;
}

bool answersEchoRequest(const unsigned char* datagram, std::size_t length, std::uint32_t source,
                        std::uint32_t target) {
  if (length < MinimumIpHeader) return false;
  const std::size_t header = ipHeaderLength(datagram);
  if (header < MinimumIpHeader || length < header + IcmpHeaderLength) return false;
  const unsigned char* icmp = datagram + header;
  if (icmp[0] == IcmpEchoReply) {
    return source == target && littleEndianAt(icmp + 4) == EchoIdentifier &&
           littleEndianAt(icmp + 6) == EchoSequence;
  }
  if (!isErrorMessage(icmp[0])) return false;
  // An error message quotes the IP header and the first 8 bytes of the
  // datagram it is about; it is ours when that was our request to target.
  const unsigned char* quoted = icmp + IcmpHeaderLength;
  const std::size_t rest = length - header - IcmpHeaderLength;
  if (rest < MinimumIpHeader) return false;
  const std::size_t quotedHeader = ipHeaderLength(quoted);
  if (quotedHeader < MinimumIpHeader || rest < quotedHeader + IcmpHeaderLength) return false;
  std::uint32_t quotedTarget;
  std::memcpy(&quotedTarget, quoted + 16, sizeof quotedTarget);
  return quoted[9] == IpProtocolIcmp && quotedTarget == target &&
         isOurRequest(quoted + quotedHeader);
}

namespace {

/// The raw ICMP socket, or INVALID_SOCKET after reporting why there is none.
winsock::Socket openIcmpSocket(const SocketLibrary& sockets, ReportLog& log) {
  const winsock::ProtoEnt* protocol = sockets.getProtoByName("icmp");
  if (protocol == nullptr) {
    report(log, msg::CHK0311A, "icmp");
    return winsock::InvalidSocket;
  }
  const winsock::Socket s = sockets.socket(winsock::AfInet, winsock::SockRaw, protocol->p_proto);
  if (s != winsock::InvalidSocket) return s;
  const int error = sockets.lastError();
  if (error == winsock::WsaEacces) {
    report(log, msg::CHK0317I);
  } else if (error == winsock::WsaEsocktnosupport) {
    report(log, msg::CHK0318I);
  } else {
    report(log, msg::CHK0002R, "socket", error);
    report(log, msg::CHK_DBG, "EACCES = %2, ESOCKTNOSUPPORT = %3", winsock::WsaEacces,
           winsock::WsaEsocktnosupport);
  }
  return winsock::InvalidSocket;
}

/// Sends the echo request to `address`; false after reporting a failure.
bool sendEchoRequest(const SocketLibrary& sockets, ReportLog& log, winsock::Socket s,
                     std::uint32_t address) {
  unsigned char request[PingBufferSize];
  buildEchoRequest(request);
  const int sent = sockets.sendTo(s, reinterpret_cast<const char*>(request), EchoRequestLength, 0,
                                  socketAddress(address, 0));
  if (sent == EchoRequestLength) return true;
  const int error = sockets.lastError();
  if (error == winsock::WsaEnetunreach || error == winsock::WsaEhostunreach) {
    report(log, msg::CHK0322A);
  } else {
    report(log, msg::CHK0002R, "sendto", error);
  }
  return false;
}

using Clock = std::chrono::steady_clock;

/// Waits until the socket is readable or the deadline has passed; false
/// after reporting the time-out or the failure of select.
bool waitReadable(const SocketLibrary& sockets, ReportLog& log, winsock::Socket s,
                  Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
  const long long micros = left.count() > 0 ? left.count() : 0;
  winsock::TimeVal timeout{static_cast<std::int32_t>(micros / 1000000),
                           static_cast<std::int32_t>(micros % 1000000)};
  winsock::FdSet readSet;
  readSet.fd_count = 1;
  readSet.fd_array[0] = s;
  const int ready = sockets.select(static_cast<int>(s + 1), &readSet, nullptr, nullptr, &timeout);
  const int selectError = ready < 0 ? sockets.lastError() : 0;
  if (ready == 0 || selectError == winsock::WsaEtimedout) {
    report(log, msg::CHK0312A, PingTimeoutSeconds);
    return false;
  }
  if (ready < 0) {
    report(log, msg::CHK0002R, "select", selectError);
    return false;
  }
  return true;
}

/// Receives datagrams until one answers the request to `address`, within
/// one window for the whole wait: datagrams that are not the answer (our own
/// request looped back, other programs' pings) do not extend it. The answer
/// is left in `answer`, its ICMP message at `header`; false after reporting
/// why there is none.
bool waitForAnswer(const SocketLibrary& sockets, ReportLog& log, winsock::Socket s,
                   std::uint32_t address, unsigned char (&answer)[PingBufferSize],
                   std::size_t& header) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(PingTimeoutSeconds);
  for (;;) {
    if (!waitReadable(sockets, log, s, deadline)) return false;
    std::memset(answer, 0, sizeof answer);
    winsock::SockAddrIn from = socketAddress(0, 0);
    int fromLength = sizeof from;
    const int received =
        sockets.recvFrom(s, reinterpret_cast<char*>(answer), PingBufferSize, 0, from, fromLength);
    // Larger than any answer to a 32-byte request: someone else's datagram.
    if (received < 0 && sockets.lastError() == winsock::WsaEmsgsize) continue;
    header = received > 0 ? ipHeaderLength(answer) : 0;
    if (received <= static_cast<int>(header)) {
      report(log, msg::CHK0002R, "recvfrom", sockets.lastError());
      return false;
    }
    if (answersEchoRequest(answer, static_cast<std::size_t>(received), from.sin_addr.s_addr,
                           address)) {
      return true;
    }
  }
}

/// Shows the answer in a debug line and reports what it means; true for an
/// echo reply.
bool classifyAnswer(const SocketLibrary& sockets, ReportLog& log, const unsigned char* icmp,
                    std::uint32_t address) {
  report(log, msg::CHK_DBG, "recv: type = %2, id = %3, seq = %4", icmp[0], littleEndianAt(icmp + 4),
         littleEndianAt(icmp + 6));
  if (icmp[0] == IcmpEchoReply) return true;
  if (icmp[0] == IcmpUnreachable) {
    report(log, msg::CHK0313R, sockets.inetNtoa(address));
  } else {
    report(log, msg::CHK0315A, icmp[0], icmp[1]);
  }
  return false;
}

}  // namespace

bool pingHost(SocketLibrary& sockets, ReportLog& log, std::uint32_t address) {
  const ScopedSocket s(sockets, openIcmpSocket(sockets, log));
  if (!s.valid() || !sendEchoRequest(sockets, log, s.get(), address)) return false;
  unsigned char answer[PingBufferSize];
  std::size_t header = 0;
  if (!waitForAnswer(sockets, log, s.get(), address, answer, header)) return false;
  return classifyAnswer(sockets, log, answer + header, address);
}
