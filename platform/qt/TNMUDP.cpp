#include "TNMUDP.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstring>

namespace qm {

TNMUDP::TNMUDP(QObject* parent) : QObject(parent), buffer_(UdpSocket::kMaxDatagram) {}

TNMUDP::~TNMUDP() = default;

std::string TNMUDP::SetLocalPort(int port) {
    notifier_.reset();
    localPort_ = port;
    std::string error = socket_.Open(port);
    if (!error.empty()) return error;
    notifier_ = std::make_unique<QSocketNotifier>(static_cast<qintptr>(socket_.Handle()), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReceiveWaiting(); });
    return {};
}

int TNMUDP::CopyDatagram(char* buffer, int size) const {
    const int n = static_cast<int>(std::min<std::size_t>(length_, static_cast<std::size_t>(std::max(size, 0))));
    if (n > 0) std::memcpy(buffer, buffer_.data(), static_cast<std::size_t>(n));
    return n;
}

void TNMUDP::ReceiveWaiting() {
    char fromIp[16];
    int fromPort = 0;
    for (int i = 0; i < kReadsPerWakeUp && socket_.IsOpen(); ++i) {
        const UdpSocket::Read r = socket_.ReadDatagram(buffer_.data(), buffer_.size(), length_, fromIp, fromPort);
        if (r != UdpSocket::Read::Datagram) break;
        // Empty datagrams carry nothing to decode.
        if (length_ == 0 || !OnDataReceived) continue;
        // Each datagram is handled to the end before the next is read.
        OnDataReceived(static_cast<int>(length_), fromIp, fromPort);
    }
}

} // namespace qm
