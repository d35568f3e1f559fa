// Opt-in (label "tcpslow", make test-netload): hostile TCP senders beside UDP load.
#include "AppFixture.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

using namespace qm;

namespace {

class TcpLoadTest : public qmtest::AppFixture {};

// 256 senders each hold half a message and stop, while 40,000 UDP datagrams
// arrive: the TCP path holds only their buffers and never stalls UDP.
TEST_F(TcpLoadTest, SlowSendersNeverCostADatagram) {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    const quint16 tcpPort = probe.serverPort();
    probe.close();
    store.WriteText(kGeneralKey, "AutoListen", "1");
    store.WriteDword(kNetworkKey, "TcpPort", tcpPort);
    Start();
    std::vector<std::unique_ptr<QTcpSocket>> slow;
    for (int i = 0; i < 256; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, tcpPort);
        ASSERT_TRUE(s->waitForConnected(5000)) << i;
        s->write("<13>app: half a mess");
        slow.push_back(std::move(s));
    }
    ASSERT_TRUE(WaitUntil([&] { return window->Health().connections.size() == 256; }, 20000));
    const auto sent = qmtest::RunProcess({qmtest::BinPath("udp-blast"), "127.0.0.1",
                                          std::to_string(window->ListeningPort()), "20000", "2", "150"});
    ASSERT_EQ(sent.exitCode, 0) << sent.output;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const ReceptionCounts& c = window->ReceptionState().Counts();
            return c.admitted + c.rejected == 40000;
        },
        30000))
        << window->ReceptionState().Counts().admitted;
    const ReceptionHealth health = window->Health();
    EXPECT_EQ(health.reader.queueDrops, 0u);
    EXPECT_EQ(health.reader.systemDrops.value_or(0), 0u);
    EXPECT_EQ(health.connections.size(), 256u); // still holding their halves
}

} // namespace
