// The thread that reads syslog over TCP (RFC 6587): it accepts connections
// on the listening sockets, frames each connection's stream into messages
// and puts them into its bounded queue, as the datagram reader does for UDP.
// When the queue is full it stops reading (the senders wait, TCP holds the
// data) instead of dropping. A sender can hold at most one connection's
// buffer, and at most kMaxConnections are open at once; a connection whose
// sender has gone is read to its end and let go before another is taken.
#pragma once

#include "platform/Clock.h"
#include "platform/net/DatagramQueue.h"
#include "platform/ListenerCounts.h"
#include "platform/net/NetAddress.h"
#include "platform/net/ReaderThread.h"
#include "platform/Result.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qm {

// A socket listening for TCP connections on every local address of one family.
class TcpListenSocket {
public:
    TcpListenSocket() = default;
    ~TcpListenSocket();
    TcpListenSocket(const TcpListenSocket&) = delete;
    TcpListenSocket& operator=(const TcpListenSocket&) = delete;

    // "TCP port N cannot be listened on: reason." when it cannot.
    Result Open(int port, Family family);
    long long Handle() const { return handle_; }
    Family SocketFamily() const { return family_; }
    int BoundPort() const;

private:
    long long handle_ = -1;
    Family family_ = Family::IPv4;
};

class TcpReader {
public:
    static constexpr int kMaxConnections = 256;
    // A connection that brought nothing for this long is closed: a sender
    // that vanished without closing (a reboot, a cable) gives its place back.
    static constexpr std::chrono::milliseconds kIdleLimit = std::chrono::hours(24);
    // TCP keep-alive probes an accepted connection after this long idle.
    static constexpr int kKeepAliveSeconds = 120;

    // `wake` runs on the reader's thread when messages were queued and the
    // consumer has not been woken since it last called Woken().
    TcpReader(const Clock& clock, DatagramQueue& queue, std::function<void()> wake);
    ~TcpReader();
    TcpReader(const TcpReader&) = delete;
    TcpReader& operator=(const TcpReader&) = delete;

    // Listens on these sockets from now on. While it reads already, the open
    // connections stay, with what they buffered: only the listening sockets
    // change (none: the connections are read on, no new one is taken). A
    // reader that cannot start says why.
    Result Start(std::vector<std::unique_ptr<TcpListenSocket>> listeners);
    // Stops reading: what every connection buffered is framed and queued
    // (beyond the queue's bound if need be: it is memory the connections held
    // until now), then the connections are closed.
    void Stop();
    bool IsListening() const { return listenerCount_.load(std::memory_order_relaxed) > 0; }
    int BoundPort() const { return boundPort_.load(std::memory_order_relaxed); }

    void SetListening(bool listening) { listening_.store(listening, std::memory_order_relaxed); }
    // The consumer is about to take the queue: the next message wakes it
    // again, and a reader stopped by a full queue reads on.
    void Woken();
    // Tests: a shorter idle limit (set before Start).
    void SetIdleLimit(std::chrono::milliseconds limit) { idleLimit_ = limit; }

    TcpCounts Counts() const;

private:
    struct Connection;
    using Steady = std::chrono::steady_clock;
    void Run();
    void TakeNewListeners();
    bool MayAccept(bool full) const;
    void Accept(TcpListenSocket& listener);
    // Reads what the connection's socket holds now; false when the queue is full.
    bool Read(Connection& connection);
    // Frames what the connection buffered; false when the queue is full.
    bool Deliver(Connection& connection, bool beyondBound = false);
    // Hands on what waited for room, in the order it came to wait.
    bool DeliverWaiting();
    // False when the queue refused what an idle connection held.
    bool CloseIdle(Steady::time_point now);
    void Drop(std::size_t slot);
    int PollTimeoutMs(Steady::time_point now) const;

    const Clock& clock_;
    DatagramQueue& queue_;
    std::function<void()> wake_;
    std::chrono::milliseconds idleLimit_ = kIdleLimit;
    // The reader thread's own while it runs.
    std::vector<std::unique_ptr<TcpListenSocket>> listeners_;
    std::vector<std::unique_ptr<Connection>> connections_; // in the order they came; each knows its slot
    std::vector<Connection*> waiting_;                       // refused by a full queue, in order
    ReaderThread thread_;
    std::atomic<bool> listening_{false};
    std::atomic<bool> wakePending_{false};
    std::atomic<bool> roomMade_{false};
    std::atomic<int> listenerCount_{0};
    std::atomic<int> boundPort_{0};
    // Listening sockets handed to the running thread, and the ones it let go.
    std::mutex swapMutex_;
    std::condition_variable swapped_;
    bool swapPending_ = false;
    std::vector<std::unique_ptr<TcpListenSocket>> swap_;
    mutable std::mutex countsMutex_;
    TcpCounts counts_; // guarded by countsMutex_
};

} // namespace qm
