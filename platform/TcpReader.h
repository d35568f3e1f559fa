// The thread that reads syslog over TCP (RFC 6587): it accepts connections
// on the listening sockets, frames each connection's stream into messages
// and puts them into its bounded queue, as the datagram reader does for UDP.
// When the queue is full it stops reading (the senders wait, TCP holds the
// data) instead of dropping. A sender can hold at most one connection's
// buffer, and at most kMaxConnections are open at once.
#pragma once

#include "platform/Clock.h"
#include "platform/DatagramQueue.h"
#include "platform/NetAddress.h"
#include "platform/Result.h"

#include <array>
#include <atomic>
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
    std::uint64_t cut = 0;        // messages cut at kMaxMessage, and counts past it skipped
};

struct TcpCounts {
    std::array<TcpListenerCounts, 2> listeners; // by Family
    std::vector<TcpConnection> connections;     // open now
};

class TcpReader {
public:
    static constexpr int kMaxConnections = 256;

    // `wake` runs on the reader's thread when messages were queued and the
    // consumer has not been woken since it last called Woken().
    TcpReader(const Clock& clock, DatagramQueue& queue, std::function<void()> wake);
    ~TcpReader();
    TcpReader(const TcpReader&) = delete;
    TcpReader& operator=(const TcpReader&) = delete;

    // Listens on these sockets from now on (none: TCP is off); connections
    // of the sockets before are closed.
    void Start(std::vector<std::unique_ptr<TcpListenSocket>> listeners);
    void Stop();
    bool IsListening() const { return !listeners_.empty(); }
    int BoundPort() const;

    void SetListening(bool listening) { listening_.store(listening, std::memory_order_relaxed); }
    // The consumer is about to take the queue: the next message wakes it
    // again, and a reader stopped by a full queue reads on.
    void Woken();

    TcpCounts Counts() const;

private:
    struct Connection;
    void Run();
    void Accept(TcpListenSocket& listener);
    // Frames what the connection buffered; false when the queue is full.
    bool Deliver(Connection& connection);
    void Drop(std::size_t index);

    const Clock& clock_;
    DatagramQueue& queue_;
    std::function<void()> wake_;
    std::vector<std::unique_ptr<TcpListenSocket>> listeners_;
    std::vector<std::unique_ptr<Connection>> connections_; // the reader thread's own
    std::thread thread_;
    std::atomic<bool> listening_{false};
    std::atomic<bool> wakePending_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> roomMade_{false};
    long long wakeHandles_[2] = {-1, -1};
    mutable std::mutex countsMutex_;
    TcpCounts counts_; // guarded by countsMutex_
};

} // namespace qm
