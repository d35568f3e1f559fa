// The system's signals that end the operator's session, handed over to the
// UI thread through a descriptor it can watch. POSIX has them (SIGTERM,
// SIGHUP, SIGINT); Windows announces the session's end as a window message
// instead, so there these do nothing.
#pragma once

namespace qm {

// Catches the signals from now on; safe to call more than once.
void InstallSessionSignals();
// Whether a signal has been caught since installation.
bool SessionSignalCaught();
// The descriptor that becomes readable when a signal comes, or -1.
long long SessionSignalHandle();
// Reads what the signals left; true when there was anything.
bool DrainSessionSignals();

// The session is ending and the program has saved everything: on Windows it
// ends at once with `status`, since the system ends a program soon after its
// end-of-session message, and one ended in the middle of its own exit does
// not end with its status. Elsewhere nothing: the program exits as usual.
void EndProcessForSession(int status);

// A write past the process's file-size limit fails (EFBIG) as any failed
// write does, instead of killing the process half-way (SIGXFSZ): the
// temporary file is removed and the failure reported. Nothing on Windows.
void IgnoreFileSizeSignal();

} // namespace qm
