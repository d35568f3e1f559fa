// What the listeners counted, as plain values: the readers fill them,
// reception's health shows them.
#pragma once

#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// What the reader has seen since the program started.
struct ReaderCounts {
    std::uint64_t received = 0; // datagrams read off the socket
    std::uint64_t bytes = 0;
    std::uint64_t queueDrops = 0; // the program's own drops: the queue was full
    // The system's drops for want of room in the receive buffer; unset where
    // the system does not say (Windows).
    std::optional<std::uint64_t> systemDrops;
};

// An open connection as the statistics show it.
struct TcpConnection {
    std::string address;
    int port = 0;
    std::uint64_t messages = 0;
    DateTime since;
};

// What a listening socket's connections brought since the program started.
struct TcpListenerCounts {
    bool open = false;
    std::uint64_t messages = 0;   // handed on
    std::uint64_t bytes = 0;
    std::uint64_t accepted = 0;
    std::uint64_t refused = 0;    // connections past kMaxConnections, closed at once
    std::uint64_t cut = 0;        // messages cut at kMaxMessage
    std::uint64_t idleClosed = 0; // connections silent for the idle limit, closed
};

struct TcpCounts {
    std::array<TcpListenerCounts, 2> listeners; // by Family
    std::vector<TcpConnection> connections;     // open now
};

// One listening socket as reception's health shows it.
struct ListenerCounts {
    std::string name; // "UDP IPv4", "TCP IPv6", ...
    bool open = false;
    std::uint64_t received = 0; // datagrams, or framed messages
    std::uint64_t bytes = 0;
    std::uint64_t queueDrops = 0;             // UDP: the program's queue was full
    std::optional<std::uint64_t> systemDrops; // UDP: the system's, where it says
    int receiveBuffer = 0;                    // UDP: what the system granted
};

} // namespace qm
