// What every listener does on the window's thread: it takes what its reader
// queued and hands it on in runs. One call of the hand-over is one run: each
// message of it is raised in arrival order, then the run's end; the handler
// writes the run's lines at its end, so every run is complete before the
// event loop turns again (no line is held across a box, a dialog or a
// shutdown). Each listener keeps its own order; there is none across them.
#pragma once

#include "platform/net/Datagram.h"
#include "platform/ListenerCounts.h"
#include "platform/net/DatagramQueue.h"

#include <QDeadlineTimer>
#include <QObject>

#include <cstdint>

#include <functional>
#include <vector>

namespace qm {

class RunHandOver : public QObject {
    Q_OBJECT
public:
    using DataReceived = std::function<void(const Datagram&)>;
    using RunEnded = std::function<void()>;

    // Absorbs more than 5 s of 50,000 datagrams a second of 150 bytes each
    // (about 58 MB with their headers) while the window is held up.
    static constexpr std::size_t kQueueBytes = 64u << 20;
    // The window's thread hands on messages for at most this long before the
    // event loop gets a turn (paints, timers, the operator's keys).
    static constexpr int kSliceMs = 8;
    // A run also ends at this many messages or bytes: the slice holds about
    // 3,200 datagrams at 400,000 a second, so these bound the run's memory
    // (its lines and pending rows) rather than its time; and 4 MiB keeps a
    // run of the largest datagrams to 64 of them.
    static constexpr int kRunDatagrams = 4096;
    static constexpr std::size_t kRunBytes = 4u << 20;

    DataReceived OnDataReceived;
    RunEnded OnRunEnded;

    // What every listener is asked alike: whether the program listens (noted
    // with each message), its rows in the statistics, and, before a granted
    // close hands its queue on, to put what it still holds into the queue.
    virtual void SetListening(bool listening) = 0;
    virtual void AppendCounts(std::vector<ListenerCounts>& rows) const = 0;
    virtual void PrepareClose() {}

    // Hands on what is queued now, as the wake-up does (tests and benchmarks).
    void ReceiveWaiting();
    // At a granted close: hands on what is queued now, in runs, until
    // `deadline`; returns how many of those messages were left.
    std::uint64_t HandOverRest(const QDeadlineTimer& deadline);
    std::size_t QueuedBytes() const { return queue_.HeldBytes(); }

protected:
    explicit RunHandOver(QObject* parent = nullptr);
    DatagramQueue& Queue() { return queue_; }
    // For the reader, on its thread: come for what was queued.
    void WakeFromReader();
    // The reader learns that the queue is being taken (room is coming).
    virtual void QueueTaken() = 0;

private:
    void Drain();

    DatagramQueue queue_{kQueueBytes};
    DatagramQueue::Batch batch_;
    bool draining_ = false;
    bool drainPosted_ = false;
};

} // namespace qm
