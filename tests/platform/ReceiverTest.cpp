// The real receiver on a free high port of 127.0.0.1, fed by real senders:
// its reader thread, its queue and the hand-over on the UI thread.
#include "support/Fakes.h"
#include "support/Process.h"
#include "reception/ReceptionHandler.h"
#include "platform/qt/TNMUDP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace qm;

namespace {

struct Received {
    std::string bytes;
    std::string fromIp;
    int port;
    DateTime arrived;
    bool listening;
};

class ReceiverTest : public ::testing::Test {
protected:
    qmtest::FakeClock clock;
    TNMUDP udp{clock};
    std::vector<Received> received;

    void SetUp() override {
        ASSERT_TRUE(udp.SetLocalPort(0));
        udp.SetListening(true);
        udp.OnDataReceived = [this](const Datagram& d) {
            received.push_back({std::string(d.bytes), std::string(d.fromIp), d.fromPort, d.arrived, d.listening});
        };
    }

    void WaitFor(std::size_t count, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (received.size() < count && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    void Send(QUdpSocket& sender, const QByteArray& d) {
        ASSERT_EQ(sender.writeDatagram(d, QHostAddress::LocalHost, static_cast<quint16>(udp.BoundPort())),
                  d.size());
    }
};

TEST_F(ReceiverTest, DeliversEveryDatagramInOrderWithTheSender) {
    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress::LocalHost, 0));
    const std::vector<QByteArray> datagrams = {"<13>a: one", QByteArray(65507, 'x'), QByteArray("\0\xff\n", 3),
                                               "<13>a: last"};
    for (const QByteArray& d : datagrams)
        Send(sender, d);
    Send(sender, QByteArray()); // handed on too: the handler counts what it skips
    ASSERT_TRUE(qmtest::PollUntil([&] { return udp.Counts().received == 5; }));
    udp.SetListening(false);
    Send(sender, "after");
    WaitFor(6);
    ASSERT_EQ(received.size(), 6u);
    for (std::size_t i = 0; i < datagrams.size(); ++i)
        EXPECT_EQ(received[i].bytes, datagrams[i].toStdString()) << i;
    EXPECT_EQ(received[4].bytes, "");
    EXPECT_EQ(received[5].bytes, "after");
    EXPECT_FALSE(received[5].listening); // noted as it arrived
    EXPECT_TRUE(received[0].listening);
    EXPECT_EQ(received[0].fromIp, "127.0.0.1");
    EXPECT_EQ(received[0].port, sender.localPort());
    EXPECT_EQ(received[0].arrived, clock.Now());
    EXPECT_EQ(udp.Counts().received, 6u);
    EXPECT_EQ(udp.Counts().bytes, 10u + 65507 + 3 + 11 + 5);
}

// The window's thread may be held up for seconds; the reader keeps draining
// the socket meanwhile, and every datagram keeps the time it arrived.
TEST_F(ReceiverTest, ABusyWindowLosesNothing) {
    QUdpSocket sender;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 3000; ++i) {
        Send(sender, QByteArray("<13>a: ") + QByteArray::number(i) + QByteArray(120, '.'));
        if (i == 1500) clock.time = DateTime{2026, 12, 7, 0, 0, 1};
        if (i % 100 == 0) QThread::msleep(10); // paced, the UI thread not running
    }
    ASSERT_EQ(received.size(), 0u);
    WaitFor(3000);
    ASSERT_EQ(received.size(), 3000u);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(received[static_cast<std::size_t>(i)].bytes.substr(7, 4).find(std::to_string(i)), 0u) << i;
    EXPECT_EQ(received.front().arrived.day, 6);
    EXPECT_EQ(received.back().arrived.day, 7);
    EXPECT_EQ(udp.Counts().queueDrops, 0u);
}

TEST_F(ReceiverTest, AsksForALargeReceiveBuffer) {
    // The kernel may cap it; it never grants less than its default here.
    EXPECT_GE(udp.ReceiveBufferSize(), 65536);
}

TEST_F(ReceiverTest, APortInUseIsRefusedAndTheBoundSocketStays) {
    TNMUDP second{clock};
    const std::string error = second.SetLocalPort(udp.BoundPort()).error;
    EXPECT_NE(error.find(std::to_string(udp.BoundPort())), std::string::npos) << error;
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    EXPECT_FALSE(second.IsBound());

    const int before = udp.BoundPort();
    ASSERT_TRUE(second.SetLocalPort(0));
    EXPECT_FALSE(udp.SetLocalPort(second.BoundPort()));
    EXPECT_EQ(udp.BoundPort(), before); // still listening where it was
    QUdpSocket sender;
    Send(sender, "still here");
    WaitFor(1);
    ASSERT_EQ(received.size(), 1u);
}

TEST_F(ReceiverTest, ChangingThePortRebinds) {
    const int before = udp.BoundPort();
    ASSERT_TRUE(udp.SetLocalPort(0));
    EXPECT_NE(udp.BoundPort(), 0);
    EXPECT_NE(udp.BoundPort(), before);
    QUdpSocket sender;
    Send(sender, "x1");
    WaitFor(1);
    EXPECT_EQ(received.size(), 1u);
}

// util-linux logger, both message forms, decoded by the real handler.
TEST_F(ReceiverTest, LoggerDatagramsDecode) {
    Options options;
    ReceptionHandler handler(options);
    const std::string port = std::to_string(udp.BoundPort());
    for (const char* form : {"--rfc3164", "--rfc5424"}) {
        auto r = qmtest::RunProcess({"/usr/bin/logger", "-n", "127.0.0.1", "-P", port, "-d", form, "-t",
                                     "myapp", "-p", "local3.warning", "disk almost full"});
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }
    WaitFor(2);
    ASSERT_EQ(received.size(), 2u);
    for (const Received& r : received) {
        ASSERT_EQ(handler.Handle(qmtest::Arrived(r.bytes, r.fromIp, r.port, clock)), HandleOutcome::Admitted);
        const SyslogMessage& m = handler.Message();
        EXPECT_EQ(m.PriText, "156"); // local3 (19) * 8 + warning (4)
        EXPECT_EQ(m.SourceLevel, "19 (LOCAL3)/4");
        EXPECT_EQ(m.SenderText, "127.0.0.1");
        EXPECT_GT(m.SenderPort, 0);
        EXPECT_NE(m.MessageText.find("disk almost ful"), std::string::npos) << m.MessageText;
    }
    // RFC 3164 "<156>Dec  7 21:12:19 host myapp: ..." cuts the tag at the time's colon;
    // RFC 5424 "<156>1 2026-12-07T21:12:19... " does the same.
    EXPECT_NE(received[0].bytes.find("myapp"), std::string::npos);
    handler.Handle(qmtest::Arrived(received[1].bytes, received[1].fromIp, received[1].port, clock));
    EXPECT_EQ(handler.Message().Tag.substr(0, 2), "1 ");
}

} // namespace
