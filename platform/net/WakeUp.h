// What wakes a reader thread from its wait: a pair of connected sockets, so
// that the one poll a reader waits in watches it beside its own sockets.
// One way per system, in a file per system: a socketpair where there is one
// (WakeUpPosix.cpp), two UDP sockets on the loopback on Windows, whose
// WSAPoll waits on sockets only (WakeUpWindows.cpp).
#pragma once

#include "platform/Result.h"

namespace qm {

class WakeUp {
public:
    WakeUp() = default;
    ~WakeUp() { Close(); }
    WakeUp(const WakeUp&) = delete;
    WakeUp& operator=(const WakeUp&) = delete;

    // "The reader cannot be woken: reason." when the pair cannot be made.
    Result Open();
    void Close();
    // Any thread: the reader's wait ends (a wake-up already pending is enough).
    void Signal();
    // The reader, after its wait: takes what signalled it.
    void Drain();
    // The end the reader polls for reading.
    long long Handle() const { return ends_[0]; }

private:
    long long ends_[2] = {-1, -1}; // read, write
};

} // namespace qm
