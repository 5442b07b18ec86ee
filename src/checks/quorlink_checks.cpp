#include "checks/quorlink_checks.h"

#include "checks/numeric_variable.h"
#include "config/variable_store.h"
#include "driver/message.h"
#include "net/services_file.h"
#include "net/tcp_checks.h"

namespace {

constexpr const char* PlatformName = "Windows NT";

Str lookup(const char* name) {
  return lookupVariable(name, LookupMode::All);
}

/// "YES" only for a value of exactly YES; otherwise "NO".
const char* exactYes(const Str& value) {
  return value == Str("YES") ? "YES" : "NO";
}

}  // namespace

std::int32_t checkQuorLinkServer(ReportLog& log, CheckOptions& options) {
  for (const char* name :
       {"ZOR_TIMEOUT", "ZOR_TP_MAX_CONN", "ZOR_TP_SEND_TIMEOUT", "ZOR_TP_MAX_QUEUE_ELEMENTS"}) {
    checkNumericVariable(log, name, false, LookupMode::All);
  }
  Str keep = lookup("ZOR_TP_KEEP");
  if (!keep.empty()) report(log, msg::CHK0013I, "ZOR_TP_KEEP", exactYes(keep));

  Str reconnect = lookup("ZOR_TP_AUTO_RECONN");
  if (!reconnect.empty()) {
    report(log, msg::CHK0013I, "ZOR_TP_AUTO_RECONN",
           equalsIgnoringCase(reconnect, "NO") ? reconnect : Str("YES"));
  }
  report(log, msg::CHK0013I, "ZOR_VERSION_CHECK", exactYes(lookup("ZOR_VERSION_CHECK")));

  Str multihome = lookup("ZOR_TP_MULTIHOME_PROTOCOL");
  if (!multihome.empty())
    report(log, msg::CHK0013I, "ZOR_TP_MULTIHOME_PROTOCOL", exactYes(multihome));

  return checkQuorLinkProtocols(log, options);
}

std::int32_t updateQuorLinkServer(ReportLog& log, CheckOptions& options) {
  determineQuorLinkProtocols(log, options);
  if (options.protocols & ProtocolTci) return updateServicesFile(log, options);
  return 0;
}

std::int32_t checkQuorLinkProtocols(ReportLog& log, CheckOptions& options) {
  if (!log.run().firstTime(RunOnce::QuorLinkProtocolCheck)) return 0;
  determineQuorLinkProtocols(log, options);
  checkProtocols(log, options, options.protocols);
  if (options.protocols == 0) report(log, msg::CHK0206R);
  return 0;
}

void determineQuorLinkProtocols(ReportLog& log, CheckOptions& options) {
  Str value = lookup("ZOR_PROTOCOL");
  if (value.empty()) {
    report(log, msg::CHK0011R, "ZOR_PROTOCOL");
    return;
  }
  Tokenizer names(value, ',', true);
  for (Str name = names.nextToken(); !name.empty(); name = names.nextToken()) {
    addQuorLinkProtocol(log, options.protocols, name);
  }
}

void addQuorLinkProtocol(ReportLog& log, std::uint32_t& set, const Str& name) {
  if (equalsIgnoringCase(name, "LOC")) {
    set |= ProtocolLoc;
  } else if (equalsIgnoringCase(name, "TCI")) {
    set |= ProtocolTci;
  } else if (equalsIgnoringCase(name, "SNA")) {
    set |= ProtocolSna;
  } else {
    report(log, msg::CHK0205A, name);
  }
}

void checkProtocols(ReportLog& log, CheckOptions& options, std::uint32_t& set) {
  if (set & ProtocolSna) {
    report(log, msg::CHK0207R, "APPC", PlatformName);
    set &= ~ProtocolSna;
  }
  if (set & ProtocolTci) {
    report(log, msg::CHK0200I, "TCP/IP");
    checkTcpProtocol(log, options);
  }
}

void checkServerSpec(ReportLog& log, CheckOptions& options, const Str& protocol,
                     const Str& address) {
  if (options.protocols == 0) {
    report(log, msg::CHK0219R);
    checkQuorLinkProtocols(log, options);
  }
  std::uint32_t bit = 0;
  addQuorLinkProtocol(log, bit, protocol);
  if (bit != 0 && (options.protocols & bit) == 0) {
    report(log, msg::CHK0208R, protocol);
    checkProtocols(log, options, bit);
  }
  checkServerAddress(log, options, bit, address);
}

void checkServerAddress(ReportLog& log, CheckOptions& options, std::uint32_t protocol,
                        const Str& address) {
  if (protocol == ProtocolLoc) {
    report(log, msg::CHK0201I, address, "LOCAL");
    if (address != Str("LOCAL")) report(log, msg::CHK0209R);
  } else if (protocol == ProtocolTci) {
    report(log, msg::CHK0201I, address, "TCP/IP");
    testServerConnection(log, options, address);
  }
}

std::int32_t checkObjectStoreNetwork(ReportLog& log, CheckOptions&) {
  Str host = lookup("ZOR_HOST");
  if (!host.empty()) {
    report(log, msg::CHK0217I, host);
  } else {
    report(log, msg::CHK0216I);
  }

  Str network = lookupVariable("OS_NETWORK", LookupMode::EnvironmentOnly);
  if (network.find(' ') != 0) report(log, msg::CHK0220R);

  Tokenizer pieces(network, ',', true);
  for (Str piece = pieces.nextToken(); !piece.empty(); piece = pieces.nextToken()) {
    if (equalsIgnoringCase(piece, "o4netsm")) continue;
    if (equalsIgnoringCase(piece, "o4nettcp")) {
      if (!validateTcpAddress(log, host)) report(log, msg::CHK0221R, host, "TCP/IP");
    } else if (equalsIgnoringCase(piece, "o4netbio")) {
      report(log, msg::CHK_TBD, "ODI: check %2", piece);
      if (!pieces.atEnd()) {
        report(log, msg::CHK_ATT, "OS_NETWORK maybe has the wrong value (order) for '%2'", host);
      }
      break;
    } else {
      report(log, msg::CHK0210A, piece);
    }
  }
  return 0;
}
