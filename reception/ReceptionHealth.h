// Reception's health as the operator sees it: what became of the datagrams,
// what the reader and the system dropped, and the rate.
#pragma once

#include "platform/ListenerCounts.h"
#include "reception/Reception.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qm {

// The current and the peak rate, from a running total sampled about once a
// second.
class RateMeter {
public:
    void Sample(std::uint64_t total, double seconds) {
        if (seconds <= 0) return;
        rate_ = total >= last_ ? static_cast<double>(total - last_) / seconds : 0;
        last_ = total;
        peak_ = std::max(peak_, rate_);
    }
    double Rate() const { return rate_; }
    double Peak() const { return peak_; }

private:
    std::uint64_t last_ = 0;
    double rate_ = 0;
    double peak_ = 0;
};

struct ReceptionHealth {
    ReceptionCounts counts;
    // All the listeners together: what they read, what was dropped.
    ReaderCounts reader;
    // Each listener on its own, and the TCP connections open now.
    std::vector<ListenerCounts> listeners;
    std::vector<TcpConnection> connections;
    std::uint64_t refusedConnections = 0;
    std::uint64_t cutMessages = 0;
    std::uint64_t idleClosedConnections = 0;
    double rate = 0;     // datagrams a second, over the last second
    double peakRate = 0;
    int receiveBuffer = 0; // bytes the system granted the socket
    // The program's drops and, where the system says, the system's.
    std::uint64_t Lost() const { return reader.queueDrops + reader.systemDrops.value_or(0); }
};

} // namespace qm
