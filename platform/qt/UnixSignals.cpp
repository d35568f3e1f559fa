#include "UnixSignals.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace qm {

#ifndef _WIN32
namespace {
int g_pipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe.
extern "C" void OnSignal(int number) {
    const int saved = errno;
    const char byte = static_cast<char>(number);
    if (g_pipe[1] >= 0) (void)!::write(g_pipe[1], &byte, 1);
    errno = saved;
}
} // namespace
#endif

UnixSignals::UnixSignals(QObject* parent) : QObject(parent) {
#ifndef _WIN32
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1)
            emit Terminate(static_cast<unsigned char>(byte));
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        sigaction(number, &action, nullptr);
#endif
}

UnixSignals::~UnixSignals() {
#ifndef _WIN32
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        sigaction(number, &action, nullptr);
#endif
}

} // namespace qm
