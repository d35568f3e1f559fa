// Syslog over TCP (RFC 6587) as the operator may add it: listening sockets
// on a port of IPv4 and, when asked, IPv6, read by a thread of their own
// into a bounded queue, handed to the window's thread in runs (RunHandOver)
// like the UDP datagrams. It never sends a message.
#pragma once

#include "platform/net/TcpReader.h"
#include "platform/qt/RunHandOver.h"

#include <memory>
#include <vector>

namespace qm {

class TcpReceiver : public RunHandOver {
    Q_OBJECT
public:
    explicit TcpReceiver(const Clock& clock, QObject* parent = nullptr);
    ~TcpReceiver() override;

    // Listens on these from now on, the open connections kept (none: TCP is
    // off, what the connections buffered queued before they close).
    Result Use(std::vector<std::unique_ptr<TcpListenSocket>> sockets);
    // Lets the listening sockets go (their port may be bound anew), reading
    // on the connections open now.
    void LetGoOfPort() { (void)reader_.Start({}); } // running already: nothing to start
    // Stops reading; what the connections buffered is queued first.
    void Stop() { reader_.Stop(); }
    bool IsListening() const { return reader_.IsListening(); }
    int BoundPort() const { return reader_.BoundPort(); }

    void SetListening(bool listening) override { reader_.SetListening(listening); }
    // A row for each family.
    void AppendCounts(std::vector<ListenerCounts>& rows) const override;
    // Stops reading: what the connections buffered is queued.
    void PrepareClose() override { reader_.Stop(); }
    TcpCounts Counts() const { return reader_.Counts(); }

private:
    void QueueTaken() override { reader_.Woken(); }

    TcpReader reader_;
};

} // namespace qm
