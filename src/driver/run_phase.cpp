#include "driver/run_phase.h"

std::int32_t runPhase(ReportLog&, CheckOptions&, const RunSwitches&) { return 0; }

void endRunPhase() {}
