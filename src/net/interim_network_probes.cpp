// INTERIM: stands in for the network subsystem (branch "net") until it lands so that
// main links. Delete this file when merging the real implementation.
#include "net/library_loader.h"
#include "net/services_file.h"
#include "net/tcp_checks.h"
bool validateTcpAddress(ReportLog&, const Str&) { return true; }
bool testServerConnection(ReportLog&, const CheckOptions&, const Str&) { return true; }
void checkTcpProtocol(ReportLog&, const CheckOptions&) {}
std::int32_t updateServicesFile(ReportLog&, const CheckOptions&) { return 0; }
std::int32_t LibraryRef::load(const Str&) { return 126; }
void LibraryRef::release() {}
