#include "platform/net/TcpReader.h"

#include "platform/net/ConnectionStream.h"
#include "platform/net/SocketTypes.h"
#include "platform/net/Sockets.h"
#include "platform/net/TcpStreamBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qm {


struct TcpReader::Connection {
    std::unique_ptr<ConnectionStream> socket; // plain TCP; its own kind of stream for TLS
    Family family = Family::IPv4;
    char address[kMaxAddressText + 1] = {};
    std::size_t addressLength = 0;
    int port = 0;
    std::size_t slot = 0; // its place in connections_ and in the counts' list
    bool waiting = false; // in waiting_: the queue refused its next message
    std::chrono::steady_clock::time_point lastRead;
    TcpStreamBuffer buffer;
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
    handle_ = NewSocket(family == Family::IPv6 ? AF_INET6 : AF_INET, SOCK_STREAM);
    if (handle_ == -1) return fail("opened");
    const NativeSocket s = Native(handle_);
    HoldPortForListening(handle_);
    if (!SetNonBlocking(handle_)) return fail("opened");
    if (const BindStep bound = BindEveryAddress(handle_, family, port); bound != BindStep::Done)
        return fail(bound == BindStep::Option ? "opened" : "listened on");
    if (listen(s, SOMAXCONN) != 0) return fail("listened on");
    return {};
}

int TcpListenSocket::BoundPort() const {
    return LocalPort(handle_);
}

TcpReader::TcpReader(const Clock& clock, DatagramQueue& queue, std::function<void()> wake)
    : clock_(clock), queue_(queue), wake_(std::move(wake)) {
    EnsureSockets();
}

TcpReader::~TcpReader() {
    Stop();
}

Result TcpReader::Start(std::vector<std::unique_ptr<TcpListenSocket>> listeners) {
    if (listeners.empty() && !thread_.Running()) return {};
    const int port = listeners.empty() ? 0 : listeners.front()->BoundPort();
    const int count = static_cast<int>(listeners.size());
    {
        const std::lock_guard<std::mutex> lock(countsMutex_);
        for (TcpListenerCounts& c : counts_.listeners)
            c.open = false;
        for (const auto& l : listeners)
            counts_.listeners[static_cast<std::size_t>(l->SocketFamily())].open = true;
    }
    if (thread_.Running()) {
        // Running: the thread takes the new sockets between two waits and
        // hands back the old ones, which close here; the connections stay.
        std::unique_lock<std::mutex> lock(swapMutex_);
        swap_ = std::move(listeners);
        swapPending_ = true;
        thread_.Wake();
        swapped_.wait(lock, [this] { return !swapPending_; });
        swap_.clear();
    } else {
        listeners_ = std::move(listeners);
        if (Result started = thread_.Start([this] { Run(); }); !started) {
            Stop();
            return started;
        }
    }
    boundPort_ = port;
    listenerCount_ = count;
    return {};
}

void TcpReader::Stop() {
    thread_.Stop();
    listeners_.clear();
    listenerCount_ = 0;
    boundPort_ = 0;
    // What the senders believe delivered is handed on before their
    // connections close: framed to its end, as at a sender's close.
    bool queued = false;
    for (const auto& c : connections_) {
        c->buffer.Close();
        queued = Deliver(*c, true) || queued;
    }
    waiting_.clear();
    connections_.clear();
    {
        const std::lock_guard<std::mutex> lock(countsMutex_);
        counts_.connections.clear();
        for (TcpListenerCounts& c : counts_.listeners)
            c.open = false;
    }
    (void)queued;
}

void TcpReader::Woken() {
    wakePending_.store(false, std::memory_order_release);
    if (!roomMade_.exchange(true)) thread_.Wake();
}

TcpCounts TcpReader::Counts() const {
    const std::lock_guard<std::mutex> lock(countsMutex_);
    return counts_;
}

void TcpReader::TakeNewListeners() {
    const std::lock_guard<std::mutex> lock(swapMutex_);
    if (!swapPending_) return;
    listeners_.swap(swap_);
    swapPending_ = false;
    swapped_.notify_all();
}

bool TcpReader::MayAccept(bool full) const {
    if (connections_.size() < static_cast<std::size_t>(kMaxConnections)) return true;
    // Every place is taken. A new connection is refused only while the
    // places are held by senders still there; one that has gone is read
    // to its end and freed first, which may wait for room in the queue.
    if (full) return false;
    return std::none_of(connections_.begin(), connections_.end(),
                        [](const auto& c) { return c->buffer.Closed() || c->waiting; });
}

void TcpReader::Accept(TcpListenSocket& listener) {
    const bool refuse = connections_.size() >= static_cast<std::size_t>(kMaxConnections);
    // Only as many as there are places: the rest wait in the system's backlog
    // until the connections read now have let theirs go.
    // Refused ones too only so many a turn: a flood of connections must not
    // keep the reader from its open ones, nor from being stopped.
    for (std::size_t room = refuse ? kMaxConnections : kMaxConnections - connections_.size(); room > 0; --room) {
        sockaddr_storage from{};
        const long long s = AcceptConnection(listener.Handle(), from);
        if (s == -1) return;
        const auto family = static_cast<std::size_t>(listener.SocketFamily());
        if (refuse) {
            // One more than the program takes: counted, and closed at once.
            {
                const std::lock_guard<std::mutex> lock(countsMutex_);
                ++counts_.listeners[family].refused;
            }
            CloseSocket(s);
            continue;
        }
        auto c = std::make_unique<Connection>();
        c->socket = PlainTcpStream(s);
        c->family = listener.SocketFamily();
        c->slot = connections_.size();
        c->lastRead = Steady::now();
        SetKeepAlive(s, kKeepAliveSeconds);
        AddressOf(reinterpret_cast<const sockaddr*>(&from), c->address, c->addressLength, c->port);
        {
            const std::lock_guard<std::mutex> lock(countsMutex_);
            ++counts_.listeners[family].accepted;
            counts_.connections.push_back({std::string(c->address, c->addressLength), c->port, 0, clock_.Now()});
        }
        connections_.push_back(std::move(c));
    }
}

bool TcpReader::Read(Connection& c) {
    // A few reads a turn: enough to see a sender's close behind its last
    // bytes at once, not so many that one busy sender holds up the others.
    for (int reads = 0; reads < 4; ++reads) {
        char* space = c.buffer.Space();
        const ConnectionStream::ReadResult read = c.socket->Read(space, c.buffer.SpaceBytes());
        if (read.status == ConnectionStream::Status::Data) {
            c.buffer.Filled(read.bytes);
            c.lastRead = Steady::now();
            if (!Deliver(c)) return false;
            continue;
        }
        if (read.status == ConnectionStream::Status::Closed) {
            c.buffer.Close(); // handed on below, then dropped
            return Deliver(c);
        }
        break;
    }
    return true;
}

bool TcpReader::Deliver(Connection& c, bool beyondBound) {
    const std::string_view from(c.address, c.addressLength);
    const bool listening = listening_.load(std::memory_order_relaxed);
    const TcpStreamBuffer::Delivered d = c.buffer.Deliver([&](std::string_view message, bool) {
        return queue_.Push(message, from, c.port, clock_.Now(), listening, true, beyondBound);
    });
    if (d.messages || d.cut) {
        const std::lock_guard<std::mutex> lock(countsMutex_);
        TcpListenerCounts& counts = counts_.listeners[static_cast<std::size_t>(c.family)];
        counts.messages += d.messages;
        counts.bytes += d.bytes;
        counts.cut += d.cut;
        if (c.slot < counts_.connections.size()) counts_.connections[c.slot].messages += d.messages;
    }
    if (d.messages && !wakePending_.exchange(true, std::memory_order_acq_rel)) wake_();
    if (d.refused && !c.waiting) {
        c.waiting = true; // kept as it is: tried again when there is room
        waiting_.push_back(&c);
    }
    return !d.refused;
}

bool TcpReader::DeliverWaiting() {
    std::size_t done = 0;
    for (; done < waiting_.size(); ++done) {
        Connection& c = *waiting_[done];
        if (!Deliver(c)) break; // refused again: it stays first
        c.waiting = false;
    }
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(done));
    return waiting_.empty();
}

bool TcpReader::CloseIdle(Steady::time_point now) {
    for (std::size_t i = connections_.size(); i-- > 0;) {
        Connection& c = *connections_[i];
        if (c.waiting || c.buffer.Closed() || now - c.lastRead < idleLimit_) continue;
        // Silent for the idle limit: its sender is taken for gone. What it
        // buffered (at most an unfinished message) is handed on first.
        {
            const std::lock_guard<std::mutex> lock(countsMutex_);
            ++counts_.listeners[static_cast<std::size_t>(c.family)].idleClosed;
        }
        c.buffer.Close();
        if (!Deliver(c)) return false; // the queue is full: the rest wait for room
    }
    return true;
}

void TcpReader::Drop(std::size_t slot) {
    connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(slot));
    for (std::size_t i = slot; i < connections_.size(); ++i)
        connections_[i]->slot = i;
    const std::lock_guard<std::mutex> lock(countsMutex_);
    if (slot < counts_.connections.size())
        counts_.connections.erase(counts_.connections.begin() + static_cast<std::ptrdiff_t>(slot));
}

int TcpReader::PollTimeoutMs(Steady::time_point now) const {
    // Until the first connection reaches the idle limit.
    auto soonest = Steady::time_point::max();
    for (const auto& c : connections_)
        if (!c->buffer.Closed()) soonest = std::min(soonest, c->lastRead + idleLimit_);
    if (soonest == Steady::time_point::max()) return -1;
    if (soonest <= now) return 0;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(soonest - now).count() + 1;
    return static_cast<int>(std::min<long long>(ms, 60 * 60 * 1000));
}

void TcpReader::Run() {
    bool full = false; // the queue was full: no connection is read until the consumer made room
    std::vector<PollEntry> entries;
    std::vector<std::size_t> polled; // the connection of each polled entry
    while (!thread_.StopAsked()) {
        TakeNewListeners();
        if (roomMade_.exchange(false)) full = false;
        if (!full && !waiting_.empty()) full = !DeliverWaiting();
        const Steady::time_point now = Steady::now();
        if (!full) full = !CloseIdle(now);
        // Gone senders with nothing left let their places go.
        for (std::size_t i = connections_.size(); i-- > 0;)
            if (connections_[i]->buffer.Finished() && !connections_[i]->waiting) Drop(i);

        entries.clear();
        entries.push_back({Native(thread_.WakeHandle()), POLLIN, 0});
        const std::size_t firstListener = entries.size();
        const bool accepting = MayAccept(full);
        if (accepting)
            for (const auto& l : listeners_)
                entries.push_back({Native(l->Handle()), POLLIN, 0});
        const std::size_t firstConnection = entries.size();
        polled.clear();
        // While the queue is full no connection is read (nor waited on): its
        // sender waits, TCP holding the data.
        if (!full)
            for (std::size_t i = 0; i < connections_.size(); ++i) {
                const Connection& c = *connections_[i];
                if (c.buffer.Closed() || c.waiting) continue;
                const short events = c.socket->WantsWrite() ? POLLIN | POLLOUT : POLLIN;
                entries.push_back({Native(c.socket->Handle()), events, 0});
                polled.push_back(i);
            }
        // While the queue is full only the consumer's wake-up (or a listener)
        // ends the wait: an idle deadline then would only spin.
        PollSockets(entries, full ? -1 : PollTimeoutMs(now));
        if (thread_.StopAsked()) break;
        if (entries[0].revents & POLLIN) thread_.Woken();
        // The connections first: a sender that has gone frees its place
        // before the next one is taken.
        for (std::size_t k = 0; k < polled.size() && !full; ++k) {
            const short events = entries[firstConnection + k].revents;
            Connection& c = *connections_[polled[k]];
            if ((events & POLLOUT) && c.socket->Flush() == ConnectionStream::Status::Closed) {
                c.buffer.Close();
                full = !Deliver(c);
            } else if (events & (POLLIN | POLLHUP | POLLERR)) {
                full = !Read(c);
            }
        }
        for (std::size_t i = connections_.size(); i-- > 0;)
            if (connections_[i]->buffer.Finished() && !connections_[i]->waiting) Drop(i);
        if (accepting)
            for (std::size_t l = 0; l < listeners_.size(); ++l)
                if (entries[firstListener + l].revents & POLLIN) Accept(*listeners_[l]);
    }
}

} // namespace qm
