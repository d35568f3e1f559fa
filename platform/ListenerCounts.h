// One listening socket as reception's health shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qm {

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
