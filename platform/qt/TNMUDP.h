// The program's UDP receiver: one socket bound to every local IPv4 address.
// A reader thread drains it into a bounded queue; the UI thread takes the
// datagrams from there, one at a time, in arrival order. It never sends.
#pragma once

#include "platform/Datagram.h"
#include "platform/DatagramQueue.h"
#include "platform/DatagramReader.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

namespace qm {

class TNMUDP : public QObject {
    Q_OBJECT
public:
    // The hand-over passes datagrams on in runs: one call of it is one run.
    // Each datagram of a run is raised on the UI thread in arrival order, then
    // the run's end; the handler writes the run's lines at its end, so every
    // run is complete before the event loop turns again (no line is held
    // across a box, a dialog or a shutdown).
    using DataReceived = std::function<void(const Datagram&)>;
    using RunEnded = std::function<void()>;

    // Absorbs more than 5 s of 50,000 datagrams a second of 150 bytes each
    // (about 50 MB with their headers) while the window is held up.
    static constexpr std::size_t kQueueBytes = 64u << 20;
    // The UI thread hands on datagrams for at most this long before the
    // event loop gets a turn (paints, timers, the operator's keys).
    static constexpr int kSliceMs = 8;
    // A run also ends at this many datagrams or bytes: the slice holds about
    // 3,200 datagrams at 400,000 a second, so these bound the run's memory
    // (its lines and pending rows) rather than its time; and 4 MiB keeps a
    // run of the largest datagrams to 64 of them.
    static constexpr int kRunDatagrams = 4096;
    static constexpr std::size_t kRunBytes = 4u << 20;

    explicit TNMUDP(const Clock& clock, QObject* parent = nullptr);
    ~TNMUDP() override;

    DataReceived OnDataReceived;
    RunEnded OnRunEnded;

    // Binds a new socket to `port` (0 picks a free one) and reads it from
    // then on. When the port cannot be bound the socket bound before, if
    // any, stays as it was.
    Result SetLocalPort(int port);
    // The port bound, or 0.
    int BoundPort() const;
    bool IsBound() const;
    int ReceiveBufferSize() const;

    // Noted with each datagram on arrival; the handler discards those that
    // came while stopped.
    void SetListening(bool listening) { reader_.SetListening(listening); }

    ReaderCounts Counts() const { return reader_.Counts(); }
    std::size_t QueuedBytes() const { return queue_.HeldBytes(); }

    // Hands on what is queued now, as the wake-up does (tests and benchmarks).
    void ReceiveWaiting();

private:
    void Drain();

    DatagramQueue queue_{kQueueBytes};
    DatagramReader reader_;
    DatagramQueue::Batch batch_;
    bool draining_ = false;
    bool drainPosted_ = false;
};

} // namespace qm
