#include "platform/net/WakeUp.h"

#include "platform/net/SocketTypes.h"
#include "platform/net/Sockets.h"

namespace qm {

Result WakeUp::Open() {
    Close();
    EnsureSockets();
    const auto fail = [this] {
        const int code = LastSocketError();
        Close();
        return Result::Failed("The reader cannot be woken: " + SocketErrorText(code) + ".");
    };
    ends_[0] = NewSocket(AF_INET, SOCK_DGRAM);
    ends_[1] = NewSocket(AF_INET, SOCK_DGRAM);
    if (ends_[0] == -1 || ends_[1] == -1) return fail();
    sockaddr_in loopback{};
    loopback.sin_family = AF_INET;
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    SocketLength length = sizeof loopback;
    if (bind(Native(ends_[0]), reinterpret_cast<const sockaddr*>(&loopback), sizeof loopback) != 0 ||
        getsockname(Native(ends_[0]), reinterpret_cast<sockaddr*>(&loopback), &length) != 0 ||
        connect(Native(ends_[1]), reinterpret_cast<const sockaddr*>(&loopback), sizeof loopback) != 0 ||
        !SetNonBlocking(ends_[0]) || !SetNonBlocking(ends_[1]))
        return fail();
    return {};
}

void WakeUp::Close() {
    for (long long& end : ends_) {
        CloseSocket(end);
        end = -1;
    }
}

void WakeUp::Signal() {
    if (ends_[1] == -1) return;
    const char byte = 1;
    send(Native(ends_[1]), &byte, 1, 0); // full: a wake-up is pending anyway
}

void WakeUp::Drain() {
    char drained[64];
    while (recv(Native(ends_[0]), drained, sizeof drained, 0) > 0) {
    }
}

} // namespace qm
