// Portable interface to the process's standard streams.
#pragma once

namespace platform {

/// Makes the standard streams safe to use for the whole run: a standard
/// input, output or error that is closed at start is opened on the null
/// device, so that no file the checker opens later takes its place, and a
/// console that goes away (a closed pipe) makes writes to it fail instead
/// of ending the process.
void prepareStandardStreams();

}  // namespace platform
