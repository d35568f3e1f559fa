// One datagram as the receiver hands it on: its bytes, its sender, when it
// arrived and whether the program was listening then.
#pragma once

#include "platform/Clock.h"

#include <string_view>

namespace qm {

struct Datagram {
    std::string_view bytes;
    std::string_view fromIp; // dotted IPv4, or IPv6 in RFC 5952 form
    int fromPort = 0;
    // Read off the socket at this moment: the stamp and the log day follow it,
    // however long the window took to come to the datagram.
    DateTime arrived;
    bool listening = true;
    // A TCP message: the framing removed its terminator, so its last byte is
    // the message's own (a datagram's last byte is taken for a terminator).
    bool framed = false;
};

} // namespace qm
