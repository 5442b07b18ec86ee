// Recording of the run's Winsock calls, for a snapshot of the machine: each
// call of the socket library goes through a wrapper that calls the real
// procedure and keeps the call, its result, its error code and every output
// the caller reads, in the machine directory's `network` file format
// (network_text.h). Both backends' procedureAddress() hand out the wrappers
// for the wsock32 module while recording is active. The checker makes its
// socket calls from one thread; the recording assumes so.
#pragma once

#include <string>
#include <vector>

#include "platform/library.h"

namespace platform {

// Starts recording every wsock32 call made from now on: procedureAddress() on the wsock32 module
// then returns recording wrappers around the real procedures.
void startNetworkRecording();
bool networkRecordingActive();
/// Ends the recording and forgets the calls kept (wrappers handed out before
/// pass calls on unrecorded); a later start begins a new recording.
void stopNetworkRecording();
// The recorded calls in the machine directory's `network` file format (empty when none).
std::string networkRecordingText();
// One line per recorded call for MANIFEST.txt (e.g. "gethostbyname corvdb -> 127.0.0.2").
std::vector<std::string> networkRecordingSummary();

/// For the backends: the procedure to hand out for wsock32's `name` while
/// recording, given the real one and the real WSAGetLastError (which the
/// wrappers ask after a failed call). The byte-order procedures and
/// WSAGetLastError come back unwrapped: their answers depend on nothing but
/// their arguments and the calls recorded before them. Null `real` stays
/// null.
ProcedureAddress recordingProcedure(const char* name, ProcedureAddress real,
                                    ProcedureAddress realLastError);

}  // namespace platform
