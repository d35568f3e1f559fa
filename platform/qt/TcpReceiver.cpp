#include "platform/qt/TcpReceiver.h"

namespace qm {

TcpReceiver::TcpReceiver(const Clock& clock, QObject* parent)
    : RunHandOver(parent), reader_(clock, Queue(), [this] { WakeFromReader(); }) {}

TcpReceiver::~TcpReceiver() {
    reader_.Stop();
}

Result TcpReceiver::Use(std::vector<std::unique_ptr<TcpListenSocket>> sockets) {
    if (sockets.empty()) {
        reader_.Stop();
        return {};
    }
    return reader_.Start(std::move(sockets));
}

} // namespace qm
