// The program's UDP receiver: one socket bound to every local IPv4 address,
// heard on the UI thread. It never sends.
#pragma once

#include "UdpSocket.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;

namespace qm {

class TNMUDP : public QObject {
    Q_OBJECT
public:
    // Raised once per datagram read, with its length, the sender's dotted
    // address and port. The bytes are pulled with CopyDatagram or Datagram.
    using DataReceived = std::function<void(int NumberBytes, std::string_view FromIP, int Port)>;

    // Datagrams read per readiness notification before the event loop gets a
    // turn; the rest are read on the next turn, still in arrival order.
    static constexpr int kReadsPerWakeUp = 256;

    explicit TNMUDP(QObject* parent = nullptr);
    ~TNMUDP() override;

    DataReceived OnDataReceived;

    int LocalPort() const { return localPort_; }
    // Re-binds to `port` (0 picks a free one). Returns an empty text, or the
    // reason the port cannot be bound; the receiver then hears nothing.
    std::string SetLocalPort(int port);
    // The port actually bound (differs from LocalPort only for 0), or 0.
    int BoundPort() const { return socket_.BoundPort(); }
    bool IsBound() const { return socket_.IsOpen(); }
    int ReceiveBufferSize() const { return socket_.ReceiveBufferSize(); }

    // Copies the last datagram's bytes (at most `size`) and returns the count.
    int CopyDatagram(char* buffer, int size) const;
    std::string_view Datagram() const { return {current_, length_}; }

    // Reads every waiting datagram now (the notifier calls this).
    void ReceiveWaiting();

private:
    UdpSocket socket_;
    std::unique_ptr<QSocketNotifier> notifier_;
    ReceiveBatch batch_;
    const char* current_ = nullptr;
    std::size_t length_ = 0;
    int localPort_ = 514;
};

} // namespace qm
