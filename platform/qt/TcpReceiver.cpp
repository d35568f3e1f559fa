#include "platform/qt/TcpReceiver.h"

namespace qm {

TcpReceiver::TcpReceiver(const Clock& clock, QObject* parent)
    : RunHandOver(parent), reader_(clock, Queue(), [this] { WakeFromReader(); }) {}

TcpReceiver::~TcpReceiver() {
    reader_.Stop();
}

void TcpReceiver::AppendCounts(std::vector<ListenerCounts>& rows) const {
    const TcpCounts tcp = reader_.Counts();
    for (const Family family : {Family::IPv4, Family::IPv6}) {
        const TcpListenerCounts& c = tcp.listeners[static_cast<std::size_t>(family)];
        ListenerCounts row;
        row.name = family == Family::IPv6 ? "TCP IPv6" : "TCP IPv4";
        row.open = c.open;
        row.received = c.messages;
        row.bytes = c.bytes;
        rows.push_back(row);
    }
}

Result TcpReceiver::Use(std::vector<std::unique_ptr<TcpListenSocket>> sockets) {
    if (sockets.empty()) {
        reader_.Stop();
        return {};
    }
    return reader_.Start(std::move(sockets));
}

} // namespace qm
