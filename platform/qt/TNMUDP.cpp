#include "TNMUDP.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstring>

namespace qm {

TNMUDP::TNMUDP(QObject* parent) : QObject(parent) {}

TNMUDP::~TNMUDP() = default;

std::string TNMUDP::SetLocalPort(int port) {
    notifier_.reset();
    localPort_ = port;
    std::string error = socket_.Open(port);
    if (!error.empty()) return error;
    notifier_ =
        std::make_unique<QSocketNotifier>(static_cast<qintptr>(socket_.Handle()), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReceiveWaiting(); });
    return {};
}

int TNMUDP::CopyDatagram(char* buffer, int size) const {
    const int n =
        static_cast<int>(std::min<std::size_t>(length_, static_cast<std::size_t>(std::max(size, 0))));
    if (n > 0) std::memcpy(buffer, current_, static_cast<std::size_t>(n));
    return n;
}

void TNMUDP::ReceiveWaiting() {
    for (int read = 0; read < kReadsPerWakeUp && socket_.IsOpen();) {
        if (socket_.ReadBatch(batch_) != UdpSocket::Read::Datagram) break;
        read += batch_.count;
        for (int i = 0; i < batch_.count; ++i) {
            current_ = batch_.Slot(i);
            length_ = batch_.length[static_cast<std::size_t>(i)];
            // Empty datagrams carry nothing to decode.
            if (length_ == 0 || !OnDataReceived) continue;
            // Each datagram is handled to the end before the next is handed on.
            OnDataReceived(static_cast<int>(length_), batch_.fromIp[static_cast<std::size_t>(i)].data(),
                           batch_.fromPort[static_cast<std::size_t>(i)]);
            if (!socket_.IsOpen()) return; // the handler re-bound the port
        }
    }
}

} // namespace qm
