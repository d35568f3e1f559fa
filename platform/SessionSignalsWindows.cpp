#include "platform/SessionSignals.h"

#include <windows.h>

#include <cstdio>

namespace qm {

// Windows ends a session with WM_QUERYENDSESSION, heard as the session
// manager's request; it has no signals to take over.
void EndProcessForSession(int status) {
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
}

void InstallSessionSignals() {}
void IgnoreFileSizeSignal() {}
bool SessionSignalCaught() {
    return false;
}
long long SessionSignalHandle() {
    return -1;
}
bool DrainSessionSignals() {
    return false;
}

} // namespace qm
