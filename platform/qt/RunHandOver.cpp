#include "platform/qt/RunHandOver.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

namespace qm {

RunHandOver::RunHandOver(QObject* parent) : QObject(parent) {}

void RunHandOver::WakeFromReader() {
    QMetaObject::invokeMethod(this, &RunHandOver::Drain, Qt::QueuedConnection);
}

void RunHandOver::ReceiveWaiting() {
    Drain();
}

std::uint64_t RunHandOver::HandOverRest(const QDeadlineTimer& deadline) {
    draining_ = true;
    Datagram d;
    int inRun = 0;
    std::size_t runBytes = 0;
    std::uint64_t left = 0;
    bool taken = false; // what is queued now, once: not what keeps arriving
    for (std::uint64_t handed = 0;; ++handed) {
        if (!batch_.Next(d)) {
            if (taken) break;
            taken = true;
            batch_ = DatagramQueue::Batch();
            QueueTaken();
            batch_ = queue_.TakeAll();
            if (!batch_.Next(d)) break;
        }
        if (left > 0 || ((handed & 63) == 63 && deadline.hasExpired())) {
            ++left; // counted, not handled: the close has had its time
            continue;
        }
        if (!OnDataReceived) continue;
        OnDataReceived(d);
        ++inRun;
        runBytes += d.bytes.size();
        if (inRun >= kRunDatagrams || runBytes >= kRunBytes) {
            if (OnRunEnded) OnRunEnded();
            inRun = 0;
            runBytes = 0;
        }
    }
    if (inRun > 0 && OnRunEnded) OnRunEnded();
    draining_ = false;
    return left;
}

void RunHandOver::Drain() {
    drainPosted_ = false;
    // A handler that runs an event loop of its own must not start a second drain.
    if (draining_) return;
    draining_ = true;
    QElapsedTimer slice;
    slice.start();
    Datagram d;
    int inRun = 0;
    std::size_t runBytes = 0;
    bool more = false;
    for (int handed = 0;; ++handed) {
        if (!batch_.Next(d)) {
            batch_ = DatagramQueue::Batch(); // gives its memory back to the queue
            QueueTaken();
            batch_ = queue_.TakeAll();
            if (!batch_.Next(d)) break;
        }
        // Empty ones too: the handler counts them, so that every message read is counted somewhere.
        if (OnDataReceived) {
            OnDataReceived(d);
            ++inRun;
            runBytes += d.bytes.size();
        }
        if (inRun >= kRunDatagrams || runBytes >= kRunBytes ||
            ((handed & 63) == 63 && slice.elapsed() >= kSliceMs)) {
            more = true;
            break;
        }
    }
    if (inRun > 0 && OnRunEnded) OnRunEnded();
    // The rest after the event loop's turn, still in order.
    if (more && !drainPosted_) {
        drainPosted_ = true;
        QTimer::singleShot(0, this, &RunHandOver::Drain);
    }
    draining_ = false;
}

} // namespace qm
