// What the tests of network probes ask of a POSIX host: its name, and
// whether this process may open raw ICMP sockets (ping needs one).
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace test_support {

inline std::string hostName() {
  char name[256] = {0};
  if (::gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

/// Root, or CAP_NET_RAW; Wine's Winsock follows the same rule.
inline bool rawSocketsAllowed() {
  int s = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
  if (s >= 0) ::close(s);
  return s >= 0;
}

}  // namespace test_support
