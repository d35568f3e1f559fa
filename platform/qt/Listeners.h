// Every socket the program listens on: UDP on IPv4 (the defined receiver,
// oUdp) and, as the operator chooses, UDP on IPv6 and TCP on IPv4 and IPv6.
// Each hands the window's thread its messages in runs, each keeps its own
// order, and each is a listener of its own in the counts.
#pragma once

#include "platform/ListenerCounts.h"
#include "platform/Result.h"
#include "platform/qt/TNMUDP.h"
#include "platform/qt/TcpReceiver.h"

#include <QObject>

#include <array>

#include <optional>
#include <string>
#include <vector>

namespace qm {

// What is to be listened on.
struct ListenPlan {
    int udpPort = 514;
    int tcpPort = 0; // 0: no TCP
    bool ipv6 = false;
    bool operator==(const ListenPlan&) const = default;
};

class Listeners : public QObject {
    Q_OBJECT
public:
    explicit Listeners(const Clock& clock, QObject* parent = nullptr);

    // The defined receiver: UDP on IPv4.
    TNMUDP& Udp() { return *udp_; }
    const TNMUDP& Udp() const { return *udp_; }

    // Every message of every listener, and the end of each run.
    void SetHandlers(const RunHandOver::DataReceived& data, const RunHandOver::RunEnded& runEnded);
    void SetListening(bool listening);

    // At start, every listener on its own (a taken port of one keeps no
    // other from listening): the reasons of those that cannot be had. UDP on
    // IPv6 takes the port IPv4 got (port 0 picks one for both).
    std::vector<std::string> Start(ListenPlan plan);
    // Start process after the UDP port could not be had: it is tried again.
    Result RetryUdp(int port);
    // The operator's OK: whatever differs from what listens now is bound
    // anew, every new socket opened before any is put in place, so that a
    // port that cannot be had leaves everything as it was.
    Result Change(const ListenPlan& plan);
    // A granted close: what the listeners received until now (their queues,
    // what the TCP connections buffered) is handed on until `deadline`; what
    // comes after is not. Returns how many messages were left unhandled.
    std::uint64_t StopAndHandOver(const QDeadlineTimer& deadline);
    // What is listened on, as asked at start and at the last change.
    const ListenPlan& Plan() const { return plan_; }
    // The port TCP listens on, or 0.
    int TcpPort() const { return tcp_->BoundPort(); }

    // Received by all of them together (what the rate counts).
    std::uint64_t Received() const;
    std::vector<ListenerCounts> Counts() const;
    TcpCounts Tcp() const { return tcp_->Counts(); }

private:
    // The TCP sockets of `port` (and IPv6): with `allOrNothing` the first
    // that cannot be had leaves none, otherwise each on its own.
    struct Opened {
        std::vector<std::unique_ptr<TcpListenSocket>> sockets;
        std::vector<std::string> failures;
    };
    static Opened OpenTcp(int port, bool ipv6, bool allOrNothing);
    std::vector<std::string> ListenTcp(int port, bool ipv6);
    std::vector<std::string> StartMore(ListenPlan plan);

    TNMUDP* udp_;
    TNMUDP* udp6_;
    TcpReceiver* tcp_;
    std::array<RunHandOver*, 3> all_{}; // every listener, asked alike
    ListenPlan plan_; // beyond the UDP port: what was asked for TCP and IPv6
};

} // namespace qm
