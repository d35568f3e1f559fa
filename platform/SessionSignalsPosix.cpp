#include "platform/SessionSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <sys/socket.h>
#include <unistd.h>

namespace qm {

namespace {
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_caught = 0;

// Only async-signal-safe work here: a flag and one byte into the pipe.
extern "C" void OnSessionSignal(int) {
    const int saved = errno;
    g_caught = 1;
    const char byte = 1;
    if (g_pipe[1] >= 0) (void)!::write(g_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace

void InstallSessionSignals() {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        g_pipe[0] = g_pipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnSessionSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        sigaction(number, &action, nullptr);
}

void EndProcessForSession(int) {}

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool SessionSignalCaught() {
    return g_caught != 0;
}

long long SessionSignalHandle() {
    return g_pipe[0];
}

bool DrainSessionSignals() {
    char bytes[64];
    bool any = false;
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
        any = true;
    return any;
}

} // namespace qm
