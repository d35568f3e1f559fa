#include "platform/net/WakeUp.h"

#include "platform/net/Sockets.h"

#include <sys/socket.h>
#include <unistd.h>

namespace qm {

Result WakeUp::Open() {
    Close();
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return Result::Failed("The reader cannot be woken: " + SocketErrorText(LastSocketError()) + ".");
    ends_[0] = fds[0];
    ends_[1] = fds[1];
    return {};
}

void WakeUp::Close() {
    for (long long& end : ends_) {
        CloseSocket(end);
        end = -1;
    }
}

void WakeUp::Signal() {
    if (ends_[1] < 0) return;
    const char byte = 1;
    (void)!::write(static_cast<int>(ends_[1]), &byte, 1); // full: a wake-up is pending anyway
}

void WakeUp::Drain() {
    char drained[64];
    while (::read(static_cast<int>(ends_[0]), drained, sizeof drained) > 0) {
    }
}

} // namespace qm
