// Where the TCP/IP configuration files (services, hosts) live, and the
// once-per-run test that this directory exists.
#pragma once

#include "driver/report_log.h"
#include "driver/str.h"

/// The Windows directory in lower case; empty when the system gives none.
Str windowsDirectory();

/// The TCP/IP configuration directory: `given` unchanged (letter case and
/// all, not tested) when it is not empty; else, on Windows NT, the Windows
/// directory joined with "system32\drivers\etc"; else the Windows directory.
Str etcDirectory(const Str& given);

/// Reports CHK0009A when the system's TCP/IP directory does not exist. Only
/// the first call of a run tests anything; later calls are silent.
void checkEtcDirectoryOnce(ReportLog& log);
