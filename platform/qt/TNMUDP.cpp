#include "platform/qt/TNMUDP.h"

namespace qm {

TNMUDP::TNMUDP(const Clock& clock, Family family, QObject* parent)
    : RunHandOver(parent), family_(family), reader_(clock, Queue(), [this] { WakeFromReader(); }) {}

TNMUDP::~TNMUDP() {
    reader_.Stop();
}

ResultOf<std::unique_ptr<UdpSocket>> TNMUDP::OpenSocket(int port) const {
    auto socket = std::make_unique<UdpSocket>();
    if (Result opened = socket->Open(port, UdpSocket::kReceiveBuffer, family_); !opened) return opened;
    return ResultOf<std::unique_ptr<UdpSocket>>(std::move(socket));
}

Result TNMUDP::SetLocalPort(int port) {
    ResultOf<std::unique_ptr<UdpSocket>> opened = OpenSocket(port);
    if (!opened) return opened;
    return Use(std::move(opened.value));
}

Result TNMUDP::Use(std::unique_ptr<UdpSocket> socket) {
    return reader_.Start(std::move(socket));
}

void TNMUDP::AppendCounts(std::vector<ListenerCounts>& rows) const {
    const ReaderCounts c = reader_.Counts();
    ListenerCounts row;
    row.name = family_ == Family::IPv6 ? "UDP IPv6" : "UDP IPv4";
    row.open = IsBound();
    row.received = c.received;
    row.bytes = c.bytes;
    row.queueDrops = c.queueDrops;
    row.systemDrops = c.systemDrops;
    row.receiveBuffer = ReceiveBufferSize();
    rows.push_back(row);
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

} // namespace qm
