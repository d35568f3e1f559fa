#include "platform/net/DatagramReader.h"

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace qm {

namespace {

#ifdef _WIN32
// The reader sleeps on two events: the socket's and the stop request's.
struct Waiter {
    WSAEVENT readable = WSACreateEvent();
    WSAEVENT stop;
    Waiter(SOCKET socket, long long stopHandle) : stop(reinterpret_cast<WSAEVENT>(stopHandle)) {
        WSAEventSelect(socket, readable, FD_READ);
    }
    ~Waiter() { WSACloseEvent(readable); }
    // False when asked to stop.
    bool Wait() {
        WSAEVENT events[2] = {stop, readable};
        const DWORD r = WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
        WSAResetEvent(readable);
        return r != WSA_WAIT_EVENT_0;
    }
};
#else
struct Waiter {
    int socket;
    int stop;
    Waiter(long long s, long long stopHandle) : socket(static_cast<int>(s)), stop(static_cast<int>(stopHandle)) {}
    bool Wait() {
        pollfd fds[2] = {{socket, POLLIN, 0}, {stop, POLLIN, 0}};
        while (::poll(fds, 2, -1) < 0) {
        }
        return !(fds[1].revents & POLLIN);
    }
};
#endif

} // namespace

DatagramReader::DatagramReader(const Clock& clock, DatagramQueue& queue, std::function<void()> wake)
    : clock_(clock), queue_(queue), wake_(std::move(wake)) {}

DatagramReader::~DatagramReader() {
    Stop();
}

void DatagramReader::Start(std::unique_ptr<UdpSocket> socket) {
    Stop();
    if (socket_) {
        // The old socket's drops stay counted.
        systemDropsBefore_ = Counts().systemDrops.value_or(0);
        systemDropsNow_ = 0;
        systemDropsShown_ = 0;
    }
    socket_ = std::move(socket);
    if (!socket_ || !socket_->IsOpen()) return;
    stop_ = false;
#ifdef _WIN32
    stopHandle_[0] = reinterpret_cast<long long>(WSACreateEvent());
#else
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
    stopHandle_[0] = fds[0];
    stopHandle_[1] = fds[1];
#endif
    thread_ = std::thread([this, socket = socket_.get()] { Run(*socket); });
}

void DatagramReader::Stop() {
    if (thread_.joinable()) {
        stop_ = true;
#ifdef _WIN32
        WSASetEvent(reinterpret_cast<WSAEVENT>(stopHandle_[0]));
#else
        const char byte = 1;
        (void)!::write(static_cast<int>(stopHandle_[1]), &byte, 1);
#endif
        thread_.join();
    }
#ifdef _WIN32
    if (stopHandle_[0] != -1) WSACloseEvent(reinterpret_cast<WSAEVENT>(stopHandle_[0]));
#else
    for (long long fd : stopHandle_)
        if (fd >= 0) ::close(static_cast<int>(fd));
#endif
    stopHandle_[0] = stopHandle_[1] = -1;
}

int DatagramReader::GatherUs(std::uint64_t read, std::int64_t elapsedUs) {
    if (read == 0) return kGatherMaxUs;
    const std::int64_t us = kGatherDatagrams * std::max<std::int64_t>(elapsedUs, 1) / static_cast<std::int64_t>(read);
    return static_cast<int>(std::clamp<std::int64_t>(us, kGatherMinUs, kGatherMaxUs));
}

void DatagramReader::Run(UdpSocket& socket) {
    using Steady = std::chrono::steady_clock;
    Waiter waiter(socket.Handle(), stopHandle_[0]);
    ReceiveBatch batch;
    Steady::time_point last = Steady::now();
    while (!stop_.load(std::memory_order_relaxed)) {
        if (!waiter.Wait()) break;
        bool queued = false;
        std::uint64_t read = 0;
        // Everything waiting, in batches, before sleeping again.
        while (!stop_.load(std::memory_order_relaxed) && socket.ReadBatch(batch) == UdpSocket::Read::Datagram) {
            const DateTime arrived = clock_.Now();
            const bool listening = listening_.load(std::memory_order_relaxed);
            std::uint64_t bytes = 0, drops = 0;
            for (int i = 0; i < batch.count; ++i) {
                const auto slot = static_cast<std::size_t>(i);
                const std::string_view data(batch.Slot(i), batch.length[slot]);
                bytes += data.size();
                if (queue_.Push(data, batch.FromIp(i), batch.fromPort[slot], arrived, listening))
                    queued = true;
                else
                    ++drops;
            }
            read += static_cast<std::uint64_t>(batch.count);
            received_.fetch_add(static_cast<std::uint64_t>(batch.count), std::memory_order_relaxed);
            bytes_.fetch_add(bytes, std::memory_order_relaxed);
            if (drops) queueDrops_.fetch_add(drops, std::memory_order_relaxed);
            if (batch.systemDrops) systemDropsNow_.store(*batch.systemDrops, std::memory_order_relaxed);
            // Wake the consumer once per run of datagrams, not once per datagram.
            if (queued && !wakePending_.exchange(true, std::memory_order_acq_rel)) {
                wake_();
                queued = false;
            }
        }
        if (queued && !wakePending_.exchange(true, std::memory_order_acq_rel)) wake_();
        const Steady::time_point now = Steady::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - last).count();
        last = now;
        std::this_thread::sleep_for(std::chrono::microseconds(GatherUs(read, elapsed)));
    }
}

ReaderCounts DatagramReader::Counts() const {
    ReaderCounts c;
    c.received = received_.load(std::memory_order_relaxed);
    c.bytes = bytes_.load(std::memory_order_relaxed);
    c.queueDrops = queueDrops_.load(std::memory_order_relaxed);
    if (UdpSocket::CountsSystemDrops()) {
        std::uint64_t now = systemDropsNow_.load(std::memory_order_relaxed);
        if (socket_)
            if (const std::optional<std::uint32_t> asked = socket_->SystemDrops()) now = std::max<std::uint64_t>(now, *asked);
        std::uint64_t shown = systemDropsShown_.load(std::memory_order_relaxed);
        while (now > shown && !systemDropsShown_.compare_exchange_weak(shown, now, std::memory_order_relaxed)) {
        }
        c.systemDrops = systemDropsBefore_.load(std::memory_order_relaxed) + std::max(now, shown);
    }
    return c;
}

} // namespace qm
