#include "platform/qt/Listeners.h"

namespace qm {

Listeners::Listeners(const Clock& clock, QObject* parent)
    : QObject(parent), udp_(new TNMUDP(clock, Family::IPv4, this)), udp6_(new TNMUDP(clock, Family::IPv6, this)),
      tcp_(new TcpReceiver(clock, this)) {
    udp_->setObjectName("oUdp");
    udp6_->setObjectName("oUdp6");
    tcp_->setObjectName("oTcp");
    all_ = {udp_, udp6_, tcp_};
}

void Listeners::SetHandlers(const RunHandOver::DataReceived& data, const RunHandOver::RunEnded& runEnded) {
    for (RunHandOver* listener : all_) {
        listener->OnDataReceived = data;
        listener->OnRunEnded = runEnded;
    }
}

void Listeners::SetListening(bool listening) {
    for (RunHandOver* listener : all_)
        listener->SetListening(listening);
}

Listeners::Opened Listeners::OpenTcp(int port, bool ipv6, bool allOrNothing) {
    Opened opened;
    for (const Family family : {Family::IPv4, Family::IPv6}) {
        if (family == Family::IPv6 && !ipv6) continue;
        auto socket = std::make_unique<TcpListenSocket>();
        if (const Result open = socket->Open(port, family); !open) {
            opened.failures.push_back(open.error);
            if (allOrNothing) {
                opened.sockets.clear();
                return opened;
            }
        } else {
            opened.sockets.push_back(std::move(socket));
        }
    }
    return opened;
}

std::vector<std::string> Listeners::ListenTcp(int port, bool ipv6) {
    // At start IPv4 and IPv6 each on its own.
    Opened opened = OpenTcp(port, ipv6, false);
    if (Result started = tcp_->Use(std::move(opened.sockets)); !started) opened.failures.push_back(started.error);
    return opened.failures;
}

std::vector<std::string> Listeners::Start(ListenPlan plan) {
    std::vector<std::string> failures;
    if (const Result bound = udp_->SetLocalPort(plan.udpPort); !bound)
        failures.push_back(bound.error +
                           (plan.udpPort < 1024 ? " Ports below 1024 need privileges; see the README." : ""));
    for (std::string& failure : StartMore(plan))
        failures.push_back(std::move(failure));
    return failures;
}

Result Listeners::RetryUdp(int port) {
    return udp_->SetLocalPort(port);
}

std::vector<std::string> Listeners::StartMore(ListenPlan plan) {
    if (udp_->IsBound()) plan.udpPort = udp_->BoundPort();
    plan_ = plan;
    std::vector<std::string> failures;
    if (plan.ipv6)
        if (const Result bound = udp6_->SetLocalPort(plan.udpPort); !bound) failures.push_back(bound.error);
    if (plan.tcpPort > 0)
        for (std::string& failure : ListenTcp(plan.tcpPort, plan.ipv6))
            failures.push_back(std::move(failure));
    return failures;
}

Result Listeners::Change(const ListenPlan& plan) {
    // Opened first, all of them; put in place only when every one could be had.
    const bool udpChanges = plan.udpPort != plan_.udpPort;
    std::unique_ptr<UdpSocket> udp, udp6;
    if (udpChanges) {
        ResultOf<std::unique_ptr<UdpSocket>> opened = udp_->OpenSocket(plan.udpPort);
        if (!opened) return opened;
        udp = std::move(opened.value);
    }
    const bool udp6Changes = plan.ipv6 != udp6_->IsBound() || (plan.ipv6 && udpChanges);
    if (udp6Changes && plan.ipv6) {
        ResultOf<std::unique_ptr<UdpSocket>> opened = udp6_->OpenSocket(plan.udpPort);
        if (!opened) return opened;
        udp6 = std::move(opened.value);
    }
    const bool tcpChanges = plan.tcpPort != plan_.tcpPort || plan.ipv6 != plan_.ipv6 ||
                            (plan.tcpPort > 0 && !tcp_->IsListening());
    std::vector<std::unique_ptr<TcpListenSocket>> tcp;
    if (tcpChanges && plan.tcpPort > 0) {
        // A port that stays is let go first: a listening socket holds it.
        const bool samePort = tcp_->IsListening() && plan.tcpPort == plan_.tcpPort;
        if (samePort) tcp_->LetGoOfPort(); // its connections stay
        Opened opened = OpenTcp(plan.tcpPort, plan.ipv6, true);
        if (!opened.failures.empty()) {
            if (samePort) ListenTcp(plan_.tcpPort, plan_.ipv6); // back as it was
            return Result::Failed(opened.failures.front());
        }
        tcp = std::move(opened.sockets);
    }
    // A reader that cannot start (no way to wake it) is said; the rest is in place.
    Result applied;
    const auto note = [&applied](Result started) {
        if (!started && applied) applied = std::move(started);
    };
    if (udp) note(udp_->Use(std::move(udp)));
    if (udp6Changes) note(udp6_->Use(std::move(udp6))); // none: IPv6 off
    if (tcpChanges) note(tcp_->Use(std::move(tcp)));    // none: TCP off
    plan_ = plan;
    return applied;
}

std::uint64_t Listeners::StopAndHandOver(const QDeadlineTimer& deadline) {
    // The UDP readers read on (a thread stopped here was seen to keep Wine
    // from ending the program at the session's end); only what is queued now
    // is handed on. TCP stops, queueing what its connections buffered.
    std::uint64_t left = 0;
    for (RunHandOver* listener : all_) {
        listener->PrepareClose();
        left += listener->HandOverRest(deadline);
    }
    return left;
}

std::uint64_t Listeners::Received() const {
    std::uint64_t received = 0;
    for (const ListenerCounts& row : Counts())
        received += row.received;
    return received;
}

std::vector<ListenerCounts> Listeners::Counts() const {
    std::vector<ListenerCounts> rows;
    for (const RunHandOver* listener : all_)
        listener->AppendCounts(rows);
    return rows;
}

} // namespace qm
