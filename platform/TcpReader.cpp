#include "platform/TcpReader.h"

#include "platform/Sockets.h"
#include "platform/TcpFraming.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketLength = int;
using NativeSocket = SOCKET;
using PollEntry = WSAPOLLFD;
#else
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketLength = socklen_t;
using NativeSocket = int;
using PollEntry = pollfd;
#endif

namespace qm {

namespace {

NativeSocket Native(long long handle) {
    return static_cast<NativeSocket>(handle);
}

// Waits for any of `entries`; Windows has no descriptor to wake the reader
// by, so it looks at its flags every 50 ms.
void Wait(std::vector<PollEntry>& entries) {
#ifdef _WIN32
    WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), 50);
#else
    while (::poll(entries.data(), entries.size(), -1) < 0 && errno == EINTR) {
    }
#endif
}

} // namespace

struct TcpReader::Connection {
    long long handle = -1;
    Family family = Family::IPv4;
    char address[kMaxAddressText + 1] = {};
    std::size_t addressLength = 0;
    int port = 0;
    std::unique_ptr<char[]> buffer{new char[TcpFramer::kBufferBytes]};
    std::size_t start = 0; // what the framer has not consumed: [start, end)
    std::size_t end = 0;
    bool closed = false; // the sender closed; what is buffered still goes on
    TcpFramer framer;
    ~Connection() { CloseSocket(handle); }
};

TcpListenSocket::~TcpListenSocket() {
    CloseSocket(handle_);
}

Result TcpListenSocket::Open(int port, Family family) {
    EnsureSockets();
    CloseSocket(handle_);
    handle_ = -1;
    family_ = family;
    const std::string what = "TCP port " + std::to_string(port) + (family == Family::IPv6 ? " (IPv6)" : "");
    const auto fail = [&](const char* doing) {
        const int code = LastSocketError();
        CloseSocket(handle_);
        handle_ = -1;
        return Result::Failed(what + " cannot be " + doing + ": " + SocketErrorText(code) + ".");
    };
    if (port < 1 || port > 65535) return Result::Failed(what + " is not a valid port number.");
    const NativeSocket s = socket(family == Family::IPv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
#ifdef _WIN32
    if (s == INVALID_SOCKET) return fail("opened");
    handle_ = static_cast<long long>(s);
    // Nobody else may take the port beside it.
    const int exclusive = 1;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
#else
    if (s < 0) return fail("opened");
    handle_ = s;
    // A restart binds the port again while the last run's connections wait out TIME_WAIT.
    const int reuse = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
#endif
    if (!SetNonBlocking(handle_)) return fail("opened");
    if (family == Family::IPv6) {
        const int only = 1;
        if (setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&only), sizeof only) != 0)
            return fail("opened");
        sockaddr_in6 local{};
        local.sin6_family = AF_INET6;
        local.sin6_port = htons(static_cast<unsigned short>(port));
        local.sin6_addr = in6addr_any;
        if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return fail("listened on");
    } else {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(static_cast<unsigned short>(port));
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return fail("listened on");
    }
    if (listen(s, SOMAXCONN) != 0) return fail("listened on");
    return {};
}

int TcpListenSocket::BoundPort() const {
    if (handle_ == -1) return 0;
    sockaddr_storage local{};
    SocketLength len = sizeof local;
    if (getsockname(Native(handle_), reinterpret_cast<sockaddr*>(&local), &len) != 0) return 0;
    char text[kMaxAddressText + 1];
    std::size_t length = 0;
    int port = 0;
    return AddressOf(reinterpret_cast<const sockaddr*>(&local), text, length, port) ? port : 0;
}

TcpReader::TcpReader(const Clock& clock, DatagramQueue& queue, std::function<void()> wake)
    : clock_(clock), queue_(queue), wake_(std::move(wake)) {
    EnsureSockets();
}

TcpReader::~TcpReader() {
    Stop();
}

void TcpReader::Start(std::vector<std::unique_ptr<TcpListenSocket>> listeners) {
    Stop();
    listeners_ = std::move(listeners);
    {
        const std::lock_guard<std::mutex> lock(countsMutex_);
        for (TcpListenerCounts& c : counts_.listeners)
            c.open = false;
        for (const auto& l : listeners_)
            counts_.listeners[static_cast<std::size_t>(l->SocketFamily())].open = true;
    }
    if (listeners_.empty()) return;
    stop_ = false;
#ifndef _WIN32
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) == 0) {
        wakeHandles_[0] = fds[0];
        wakeHandles_[1] = fds[1];
    }
#endif
    thread_ = std::thread([this] { Run(); });
}

void TcpReader::Stop() {
    if (thread_.joinable()) {
        stop_ = true;
#ifndef _WIN32
        const char byte = 1;
        (void)!::write(static_cast<int>(wakeHandles_[1]), &byte, 1);
#endif
        thread_.join();
    }
    for (long long& fd : wakeHandles_) {
        CloseSocket(fd);
        fd = -1;
    }
    connections_.clear();
    listeners_.clear();
    const std::lock_guard<std::mutex> lock(countsMutex_);
    counts_.connections.clear();
    for (TcpListenerCounts& c : counts_.listeners)
        c.open = false;
}

int TcpReader::BoundPort() const {
    return listeners_.empty() ? 0 : listeners_.front()->BoundPort();
}

void TcpReader::Woken() {
    wakePending_.store(false, std::memory_order_release);
    if (!roomMade_.exchange(true)) {
#ifndef _WIN32
        if (wakeHandles_[1] >= 0) {
            const char byte = 2;
            (void)!::write(static_cast<int>(wakeHandles_[1]), &byte, 1);
        }
#endif
    }
}

TcpCounts TcpReader::Counts() const {
    const std::lock_guard<std::mutex> lock(countsMutex_);
    return counts_;
}

void TcpReader::Accept(TcpListenSocket& listener) {
    for (;;) {
        sockaddr_storage from{};
        SocketLength fromLen = sizeof from;
#ifdef _WIN32
        const NativeSocket s = accept(Native(listener.Handle()), reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (s == INVALID_SOCKET) return;
#else
        const NativeSocket s = accept4(Native(listener.Handle()), reinterpret_cast<sockaddr*>(&from), &fromLen,
                                       SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (s < 0) return;
#endif
        const auto family = static_cast<std::size_t>(listener.SocketFamily());
        if (connections_.size() >= static_cast<std::size_t>(kMaxConnections)) {
            // One more than the program takes: counted, and closed at once.
            {
                const std::lock_guard<std::mutex> lock(countsMutex_);
                ++counts_.listeners[family].refused;
            }
            CloseSocket(static_cast<long long>(s));
            continue;
        }
        auto c = std::make_unique<Connection>();
        c->handle = static_cast<long long>(s);
        c->family = listener.SocketFamily();
        SetNonBlocking(c->handle);
        AddressOf(reinterpret_cast<const sockaddr*>(&from), c->address, c->addressLength, c->port);
        {
            const std::lock_guard<std::mutex> lock(countsMutex_);
            ++counts_.listeners[family].accepted;
            counts_.connections.push_back({std::string(c->address, c->addressLength), c->port, 0, clock_.Now()});
        }
        connections_.push_back(std::move(c));
    }
}

bool TcpReader::Deliver(Connection& c) {
    const auto family = static_cast<std::size_t>(c.family);
    const std::size_t index = static_cast<std::size_t>(
        std::find_if(connections_.begin(), connections_.end(), [&](const auto& p) { return p.get() == &c; }) -
        connections_.begin());
    bool queued = false;
    std::uint64_t messages = 0, bytes = 0, cut = 0;
    bool room = true;
    for (;;) {
        const std::string_view buffered(c.buffer.get() + c.start, c.end - c.start);
        const TcpFramer::Step step = c.framer.Next(buffered, c.closed);
        if (step.hasMessage) {
            if (!queue_.Push(step.message, std::string_view(c.address, c.addressLength), c.port, clock_.Now(),
                             listening_.load(std::memory_order_relaxed))) {
                room = false; // kept as it is: tried again when there is room
                break;
            }
            queued = true;
            ++messages;
            bytes += step.message.size();
        }
        if (step.cut) ++cut;
        if (!step.hasMessage && step.consumed == 0) break;
        c.start += step.consumed;
    }
    if (c.start == c.end) c.start = c.end = 0;
    if (messages || cut) {
        const std::lock_guard<std::mutex> lock(countsMutex_);
        TcpListenerCounts& counts = counts_.listeners[family];
        counts.messages += messages;
        counts.bytes += bytes;
        counts.cut += cut;
        if (index < counts_.connections.size()) counts_.connections[index].messages += messages;
    }
    if (queued && !wakePending_.exchange(true, std::memory_order_acq_rel)) wake_();
    return room;
}

void TcpReader::Drop(std::size_t index) {
    connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(index));
    const std::lock_guard<std::mutex> lock(countsMutex_);
    if (index < counts_.connections.size())
        counts_.connections.erase(counts_.connections.begin() + static_cast<std::ptrdiff_t>(index));
}

void TcpReader::Run() {
    bool full = false; // the queue was full: no connection is read until the consumer made room
    std::vector<PollEntry> entries;
    std::vector<std::size_t> polled; // the connection of each polled entry
    while (!stop_.load(std::memory_order_relaxed)) {
        if (roomMade_.exchange(false)) full = false;
        // What waited for room goes first, in the order the connections came.
        if (!full) {
            for (std::size_t i = 0; i < connections_.size() && !full;) {
                Connection& c = *connections_[i];
                if (c.end > c.start || c.closed) full = !Deliver(c);
                if (!full && c.closed && c.start == c.end) {
                    Drop(i);
                    continue;
                }
                ++i;
            }
        }
        entries.clear();
#ifndef _WIN32
        entries.push_back({static_cast<int>(wakeHandles_[0]), POLLIN, 0});
#endif
        for (const auto& l : listeners_)
            entries.push_back({Native(l->Handle()), POLLIN, 0});
        const std::size_t firstConnection = entries.size();
        polled.clear();
        for (std::size_t i = 0; i < connections_.size(); ++i) {
            // While the queue is full no connection is read (nor waited on):
            // its sender waits, TCP holding the data.
            const Connection& c = *connections_[i];
            if (full || c.closed || c.end >= TcpFramer::kBufferBytes) continue;
            entries.push_back({Native(c.handle), POLLIN, 0});
            polled.push_back(i);
        }
        Wait(entries);
        if (stop_.load(std::memory_order_relaxed)) break;
#ifndef _WIN32
        if (entries[0].revents & POLLIN) {
            char drained[64];
            while (::read(static_cast<int>(wakeHandles_[0]), drained, sizeof drained) > 0) {
            }
        }
        const std::size_t firstListener = 1;
#else
        const std::size_t firstListener = 0;
#endif
        for (std::size_t l = 0; l < listeners_.size(); ++l)
            if (entries[firstListener + l].revents & POLLIN) Accept(*listeners_[l]);
        for (std::size_t k = 0; k < polled.size() && !full; ++k) {
            const short events = entries[firstConnection + k].revents;
            if (!(events & (POLLIN | POLLHUP | POLLERR))) continue;
            Connection& c = *connections_[polled[k]];
            // Room first: what the framer consumed leaves the front.
            if (c.start > 0) {
                std::memmove(c.buffer.get(), c.buffer.get() + c.start, c.end - c.start);
                c.end -= c.start;
                c.start = 0;
            }
            const auto n = recv(Native(c.handle), c.buffer.get() + c.end,
                                static_cast<int>(TcpFramer::kBufferBytes - c.end), 0);
            if (n > 0)
                c.end += static_cast<std::size_t>(n);
            else if (n == 0 || !WouldBlock(LastSocketError()))
                c.closed = true; // handed on below, then dropped
            full = !Deliver(c);
        }
        // Closed connections with nothing left go.
        for (std::size_t i = connections_.size(); i-- > 0;)
            if (connections_[i]->closed && connections_[i]->start == connections_[i]->end && !full) Drop(i);
    }
}

} // namespace qm
