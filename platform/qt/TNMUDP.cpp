#include "platform/qt/TNMUDP.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>

namespace qm {

TNMUDP::TNMUDP(const Clock& clock, QObject* parent)
    : QObject(parent), reader_(clock, queue_, [this] {
          // On the reader's thread: ask the UI thread to come for them.
          QMetaObject::invokeMethod(this, &TNMUDP::Drain, Qt::QueuedConnection);
      }) {}

TNMUDP::~TNMUDP() {
    reader_.Stop();
}

Result TNMUDP::SetLocalPort(int port) {
    auto socket = std::make_unique<UdpSocket>();
    if (Result opened = socket->Open(port); !opened) return opened;
    reader_.Start(std::move(socket));
    return {};
}

int TNMUDP::BoundPort() const {
    return reader_.Socket() ? reader_.Socket()->BoundPort() : 0;
}

bool TNMUDP::IsBound() const {
    return reader_.Socket() && reader_.Socket()->IsOpen();
}

int TNMUDP::ReceiveBufferSize() const {
    return reader_.Socket() ? reader_.Socket()->ReceiveBufferSize() : 0;
}

void TNMUDP::ReceiveWaiting() {
    Drain();
}

void TNMUDP::Drain() {
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
            reader_.Woken();
            batch_ = queue_.TakeAll();
            if (!batch_.Next(d)) break;
        }
        // Empty ones too: the handler counts them, so that every datagram read is counted somewhere.
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
        QTimer::singleShot(0, this, &TNMUDP::Drain);
    }
    draining_ = false;
}

} // namespace qm
