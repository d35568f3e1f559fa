#include "platform/net/DatagramReader.h"

#include "platform/net/SocketTypes.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace qm {

DatagramReader::DatagramReader(const Clock& clock, DatagramQueue& queue, std::function<void()> wake)
    : clock_(clock), queue_(queue), wake_(std::move(wake)) {}

DatagramReader::~DatagramReader() {
    Stop();
}

Result DatagramReader::Start(std::unique_ptr<UdpSocket> socket) {
    Stop();
    if (socket_) {
        // The old socket's drops stay counted.
        systemDropsBefore_ = Counts().systemDrops.value_or(0);
        systemDropsNow_ = 0;
        systemDropsShown_ = 0;
    }
    socket_ = std::move(socket);
    if (!socket_ || !socket_->IsOpen()) return {};
    return thread_.Start([this, socket = socket_.get()] { Run(*socket); });
}

void DatagramReader::Stop() {
    thread_.Stop();
}

int DatagramReader::GatherUs(std::uint64_t read, std::int64_t elapsedUs) {
    if (read == 0) return kGatherMaxUs;
    const std::int64_t us = kGatherDatagrams * std::max<std::int64_t>(elapsedUs, 1) / static_cast<std::int64_t>(read);
    return static_cast<int>(std::clamp<std::int64_t>(us, kGatherMinUs, kGatherMaxUs));
}

void DatagramReader::Run(UdpSocket& socket) {
    using Steady = std::chrono::steady_clock;
    std::vector<PollEntry> entries = {{Native(socket.Handle()), POLLIN, 0}, {Native(thread_.WakeHandle()), POLLIN, 0}};
    ReceiveBatch batch;
    Steady::time_point last = Steady::now();
    while (!thread_.StopAsked()) {
        PollSockets(entries, -1);
        if (thread_.StopAsked()) break;
        if (entries[1].revents & POLLIN) thread_.Woken();
        bool queued = false;
        std::uint64_t read = 0;
        // Everything waiting, in batches, before sleeping again.
        while (!thread_.StopAsked() && socket.ReadBatch(batch) == UdpSocket::Read::Datagram) {
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
