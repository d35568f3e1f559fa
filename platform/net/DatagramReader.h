// The thread that reads the socket: it drains every waiting datagram into
// the bounded queue as soon as the system has one, so a busy window never
// lets the system's buffer overflow. It handles nothing itself.
#pragma once

#include "platform/Clock.h"
#include "platform/net/DatagramQueue.h"
#include "platform/net/ReaderThread.h"
#include "platform/ListenerCounts.h"
#include "platform/net/UdpSocket.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace qm {

class DatagramReader {
public:
    // How long the reader lets datagrams gather after emptying the socket:
    // about kGatherDatagrams at the rate just seen, within these bounds. A
    // wake-up of both threads costs more than a datagram, so a slow stream
    // gathers longer; a fast one wakes often enough that the receive buffer
    // never holds more than a few hundred datagrams.
    static constexpr int kGatherDatagrams = 256;
    static constexpr int kGatherMinUs = 250;
    static constexpr int kGatherMaxUs = 2000;
    // The sleep after `read` datagrams came in `elapsedUs` since the last one.
    static int GatherUs(std::uint64_t read, std::int64_t elapsedUs);

    // `wake` runs on the reader's thread when datagrams were queued and the
    // consumer has not been woken since it last called Woken().
    DatagramReader(const Clock& clock, DatagramQueue& queue, std::function<void()> wake);
    ~DatagramReader();
    DatagramReader(const DatagramReader&) = delete;
    DatagramReader& operator=(const DatagramReader&) = delete;

    // Reads `socket` from now on, on a thread of its own; a socket read
    // before is closed (what it had queued stays queued). A reader that
    // cannot start says why.
    Result Start(std::unique_ptr<UdpSocket> socket);
    void Stop();
    const UdpSocket* Socket() const { return socket_.get(); }

    // Noted with each datagram as it arrives.
    void SetListening(bool listening) { listening_.store(listening, std::memory_order_relaxed); }
    // The consumer is about to take the queue: the next datagram wakes it again.
    void Woken() { wakePending_.store(false, std::memory_order_release); }

    ReaderCounts Counts() const;

private:
    void Run(UdpSocket& socket);

    const Clock& clock_;
    DatagramQueue& queue_;
    std::function<void()> wake_;
    std::unique_ptr<UdpSocket> socket_;
    std::atomic<bool> listening_{false};
    std::atomic<bool> wakePending_{false};
    std::atomic<std::uint64_t> received_{0}, bytes_{0}, queueDrops_{0};
    // Drops of the sockets read before this one, and of the current one: as
    // the last datagram carried them, and the most ever shown (it never goes
    // down; the socket is also asked, so a burst's drops show at once).
    std::atomic<std::uint64_t> systemDropsBefore_{0}, systemDropsNow_{0};
    mutable std::atomic<std::uint64_t> systemDropsShown_{0};
    ReaderThread thread_; // last: it stops before anything it reads goes
};

} // namespace qm
