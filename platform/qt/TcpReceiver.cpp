#include "platform/qt/TcpReceiver.h"

namespace qm {

TcpReceiver::TcpReceiver(const Clock& clock, QObject* parent)
    : RunHandOver(parent), reader_(clock, Queue(), [this] { WakeFromReader(); }) {}

TcpReceiver::~TcpReceiver() {
    reader_.Stop();
}

ResultOf<std::vector<std::unique_ptr<TcpListenSocket>>> TcpReceiver::OpenSockets(int port, bool ipv6) {
    std::vector<std::unique_ptr<TcpListenSocket>> sockets;
    for (const Family family : {Family::IPv4, Family::IPv6}) {
        if (family == Family::IPv6 && !ipv6) continue;
        auto socket = std::make_unique<TcpListenSocket>();
        if (Result opened = socket->Open(port, family); !opened) return opened;
        sockets.push_back(std::move(socket));
    }
    return ResultOf<std::vector<std::unique_ptr<TcpListenSocket>>>(std::move(sockets));
}

void TcpReceiver::Use(std::vector<std::unique_ptr<TcpListenSocket>> sockets) {
    if (sockets.empty())
        reader_.Stop();
    else
        reader_.Start(std::move(sockets));
}

} // namespace qm
