// The real receiver on a free high port of 127.0.0.1, fed by real senders.
#include "Fakes.h"
#include "Process.h"
#include "ReceptionHandler.h"
#include "TNMUDP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace qm;

namespace {

struct Received {
    std::string bytes;
    std::string fromIp;
    int port;
};

class ReceiverTest : public ::testing::Test {
protected:
    TNMUDP udp;
    std::vector<Received> received;

    void SetUp() override {
        ASSERT_EQ(udp.SetLocalPort(0), "");
        udp.OnDataReceived = [this](int n, std::string_view from, int port) {
            ASSERT_EQ(static_cast<std::size_t>(n), udp.Datagram().size());
            received.push_back({std::string(udp.Datagram()), std::string(from), port});
        };
    }

    void WaitFor(std::size_t count, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (received.size() < count && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

TEST_F(ReceiverTest, DeliversEveryDatagramInOrderWithTheSender) {
    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress::LocalHost, 0));
    const std::vector<QByteArray> datagrams = {"<13>a: one", QByteArray(65507, 'x'),
                                               QByteArray("\0\xff\n", 3), "<13>a: last"};
    for (const QByteArray& d : datagrams)
        ASSERT_EQ(sender.writeDatagram(d, QHostAddress::LocalHost, static_cast<quint16>(udp.BoundPort())),
                  d.size());
    sender.writeDatagram(QByteArray(), QHostAddress::LocalHost,
                         static_cast<quint16>(udp.BoundPort())); // skipped
    sender.writeDatagram("after", QHostAddress::LocalHost, static_cast<quint16>(udp.BoundPort()));
    WaitFor(5);
    ASSERT_EQ(received.size(), 5u);
    for (std::size_t i = 0; i < datagrams.size(); ++i)
        EXPECT_EQ(received[i].bytes, datagrams[i].toStdString()) << i;
    EXPECT_EQ(received[4].bytes, "after");
    EXPECT_EQ(received[0].fromIp, "127.0.0.1");
    EXPECT_EQ(received[0].port, sender.localPort());
}

TEST_F(ReceiverTest, AsksForALargeReceiveBuffer) {
    // The kernel may cap it; it never grants less than its default here.
    EXPECT_GE(udp.ReceiveBufferSize(), 212992);
}

TEST_F(ReceiverTest, APortInUseIsReportedWithTheReason) {
    TNMUDP second;
    const std::string error = second.SetLocalPort(udp.BoundPort());
    EXPECT_NE(error.find(std::to_string(udp.BoundPort())), std::string::npos) << error;
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    EXPECT_FALSE(second.IsBound());
}

TEST_F(ReceiverTest, ChangingThePortRebinds) {
    ASSERT_EQ(udp.SetLocalPort(0), "");
    EXPECT_NE(udp.BoundPort(), 0);
    QUdpSocket sender;
    sender.writeDatagram("x1", QHostAddress::LocalHost, static_cast<quint16>(udp.BoundPort()));
    WaitFor(1);
    EXPECT_EQ(received.size(), 1u);
}

// util-linux logger, both message forms, decoded by the real handler.
TEST_F(ReceiverTest, LoggerDatagramsDecode) {
    Options options;
    qmtest::FakeClock clock;
    qmtest::RecordingLog log;
    ReceptionHandler handler(options, clock, log);
    const std::string port = std::to_string(udp.BoundPort());
    for (const char* form : {"--rfc3164", "--rfc5424"}) {
        auto r = qmtest::RunProcess({"/usr/bin/logger", "-n", "127.0.0.1", "-P", port, "-d", form, "-t",
                                     "myapp", "-p", "local3.warning", "disk almost full"});
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }
    WaitFor(2);
    ASSERT_EQ(received.size(), 2u);
    for (const Received& r : received) {
        ASSERT_EQ(handler.Handle(true, r.bytes, r.fromIp, r.port), HandleOutcome::Admitted);
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
    handler.Handle(true, received[1].bytes, received[1].fromIp, received[1].port);
    EXPECT_EQ(handler.Message().Tag.substr(0, 2), "1 ");
}

} // namespace
