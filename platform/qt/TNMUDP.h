// The program's UDP receiver: one socket bound to every local address of
// one family (IPv4, as defined; IPv6 beside it when the operator asks). A
// reader thread drains it into a bounded queue; the window's thread takes
// the datagrams from there in runs (RunHandOver). It never sends.
#pragma once

#include "platform/net/DatagramReader.h"
#include "platform/net/NetAddress.h"
#include "platform/Result.h"
#include "platform/qt/RunHandOver.h"

#include <memory>

namespace qm {

class TNMUDP : public RunHandOver {
    Q_OBJECT
public:
    explicit TNMUDP(const Clock& clock, Family family = Family::IPv4, QObject* parent = nullptr);
    ~TNMUDP() override;

    // Binds a new socket to `port` (0 picks a free one) and reads it from
    // then on. When the port cannot be bound the socket bound before, if
    // any, stays as it was.
    Result SetLocalPort(int port);
    // A socket opened already (for a change of several listeners that
    // either all happen or none); none closes the one read now. Says why
    // when its reader cannot start.
    Result Use(std::unique_ptr<UdpSocket> socket);
    // A socket of this receiver's family on `port`, not yet read.
    ResultOf<std::unique_ptr<UdpSocket>> OpenSocket(int port) const;
    // The port bound, or 0.
    int BoundPort() const;
    bool IsBound() const;
    int ReceiveBufferSize() const;
    Family SocketFamily() const { return family_; }

    // Noted with each datagram on arrival; the handler discards those that
    // came while stopped.
    void SetListening(bool listening) override { reader_.SetListening(listening); }
    void AppendCounts(std::vector<ListenerCounts>& rows) const override;
    ReaderCounts Counts() const { return reader_.Counts(); }

private:
    void QueueTaken() override { reader_.Woken(); }

    Family family_;
    DatagramReader reader_;
};

} // namespace qm
