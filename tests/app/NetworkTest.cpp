// Senders over TCP (RFC 6587) and over IPv6, heard by the real window: a
// message's bytes, without their framing, are logged and shown exactly as
// the same bytes in one UDP datagram are (the port field aside: it is the
// connection's). Real senders: util-linux logger, rsyslog's omfwd, a socket.
#include "AppFixture.h"
#include "app/unitStatistics.h"
#include "reception/LogFiles.h"
#include "settings/SettingsStore.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace qm;

namespace {

int FreeTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

class NetworkTest : public qmtest::AppFixture {
protected:
    int tcpPort = 0;

    TfrmUDP& StartListening(bool ipv6) {
        tcpPort = FreeTcpPort();
        store.WriteText(kGeneralKey, "AutoListen", "1");
        store.WriteText(kGeneralKey, "WriteToLog", "1");
        store.WriteText(kGeneralKey, "WriteToLogUnknownID", "1");
        store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
        store.WriteDword(kNetworkKey, "TcpPort", static_cast<std::uint32_t>(tcpPort));
        store.WriteText(kNetworkKey, "IPv6", ipv6 ? "1" : "0");
        store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
        store.WriteText(kIpKey, "127.0.0.1", "Local,Yes");
        store.WriteText(kIpKey, "::1", "Six,Yes");
        return Start();
    }
    // The lines of a day file, each cut into its nine fields.
    std::vector<std::vector<std::string>> Lines(const char* id) {
        std::string day;
        FormatLogDay(clock.Now(), day);
        const std::string text = qmtest::ReadFile(dir / "Log" / (day + "-" + id + ".log"));
        std::vector<std::vector<std::string>> lines;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            const std::string line = text.substr(at, end - at);
            std::vector<std::string> fields(1);
            for (const char c : line) {
                if (c == kLogFieldSeparator)
                    fields.emplace_back();
                else
                    fields.back().push_back(c);
            }
            lines.push_back(fields);
            at = end + 2;
        }
        return lines;
    }
    std::size_t Handled() {
        const ReceptionCounts& c = window->ReceptionState().Counts();
        return c.admitted + c.rejected;
    }
    // The last two lines of a file hold the same message, one of it over TCP.
    // A TCP message is the frame without its terminator, scanned to its end;
    // a datagram's last byte is taken for its terminator, so the datagram
    // carries the terminator the TCP frame had.
    void ExpectTheSameLine(const char* id, const std::string& what) {
        auto lines = Lines(id);
        ASSERT_GE(lines.size(), 2u) << what;
        auto tcp = lines[lines.size() - 2], udp = lines.back();
        ASSERT_EQ(tcp.size(), 9u) << what;
        EXPECT_NE(tcp[ColPort], "0") << what;
        tcp[ColPort] = udp[ColPort] = "port";
        EXPECT_EQ(tcp, udp) << what;
    }
    void SendTcp(const QByteArray& bytes, const QHostAddress& to = QHostAddress::LocalHost) {
        QTcpSocket s;
        s.connectToHost(to, static_cast<quint16>(tcpPort));
        ASSERT_TRUE(s.waitForConnected(5000));
        s.write(bytes);
        ASSERT_TRUE(s.waitForBytesWritten(5000));
        s.disconnectFromHost();
    }
};

TEST_F(NetworkTest, APlainSocketsMessagesAreHandledAsDatagramsAre) {
    TfrmUDP& w = StartListening(false);
    ASSERT_GT(tcpPort, 0);
    // Both framings, a message split over segments, and digits that begin a line.
    SendTcp("<13>app: by LF\n");
    Send("<13>app: by LF\n");
    ASSERT_TRUE(WaitUntil([&] { return Handled() == 2; }));
    ExpectTheSameLine("Router", "LF");
    // The message keeps its last character.
    const std::string message = Lines("Router").back()[ColMessage];
    EXPECT_TRUE(message.ends_with("by LF")) << message;
    SendTcp("23 <13>app: octet counted");
    Send("<13>app: octet counted\n");
    ASSERT_TRUE(WaitUntil([&] { return Handled() == 4; }));
    ExpectTheSameLine("Router", "counted");
    SendTcp("2026-12-06 no priority\r\n");
    Send("2026-12-06 no priority");
    ASSERT_TRUE(WaitUntil([&] { return Handled() == 6; }));
    ExpectTheSameLine("Unknw", "digits");
    EXPECT_EQ(Lines("Router").back()[ColAliasIp], "Local");
    // The row the operator sees: the same cells, the port aside.
    w.FlushProcessTable();
    QTableView* grid = Process();
    for (const int c : {ColDate, ColAliasIp, ColMessage, ColName, ColTag, ColSourceLevel})
        EXPECT_EQ(qmtest::CellText(grid, 4, c), qmtest::CellText(grid, 5, c)) << c;
}

// util-linux logger over TCP, with and without octet counting; its RFC 5424
// header without time and host so that both runs send the same bytes.
TEST_F(NetworkTest, LoggerOverTcpIsHandledAsOverUdp) {
    if (!std::filesystem::exists("/usr/bin/logger")) GTEST_SKIP() << "util-linux logger is the sender";
    TfrmUDP& w = StartListening(false);
    std::size_t sent = 0;
    for (const std::vector<std::string>& framing : {std::vector<std::string>{"--tcp"},
                                                   std::vector<std::string>{"--tcp", "--octet-count"}}) {
        for (const bool tcp : {true, false}) {
            std::vector<std::string> args{"/usr/bin/logger", "-n", "127.0.0.1", "--rfc5424=notime,notq,nohost",
                                          "--id=4242", "-t", "app", "-p", "user.notice"};
            if (tcp) {
                args.insert(args.end(), framing.begin(), framing.end());
                args.insert(args.end(), {"-P", std::to_string(tcpPort)});
            } else {
                args.insert(args.end(), {"-d", "-P", std::to_string(w.ListeningPort())});
            }
            args.push_back("through logger " + framing.back());
            const auto r = qmtest::RunProcess(args);
            ASSERT_EQ(r.exitCode, 0) << r.output;
            ++sent;
            ASSERT_TRUE(WaitUntil([&] { return Handled() == sent; }));
        }
        ExpectTheSameLine("Router", framing.back());
    }
}

// With IPv6 on, senders over ::1 (UDP and TCP) appear in their RFC 5952 text
// and match their IPv6 entry; IPv4 senders still match their dotted entry.
TEST_F(NetworkTest, OverIPv6BesideIPv4) {
    StartListening(true);
    SendTcp("<13>app: tcp six\n", QHostAddress::LocalHostIPv6);
    QUdpSocket six;
    six.writeDatagram("<13>app: tcp six\n", QHostAddress::LocalHostIPv6, static_cast<quint16>(window->ListeningPort()));
    ASSERT_TRUE(WaitUntil([&] { return Handled() == 2; })) << Handled() << " handled; boxes: "
                                                         << (dialogs.Messages().empty() ? "" : dialogs.Messages()[0].text.toStdString());
    ExpectTheSameLine("Router", "IPv6");
    EXPECT_EQ(Lines("Router").back()[ColAliasIp], "Six");
    Send("<13>app: four");
    ASSERT_TRUE(WaitUntil([&] { return Handled() == 3; }));
    EXPECT_EQ(Lines("Router").back()[ColAliasIp], "Local");

    // Each listener counts its own; the statistics name them.
    const ReceptionHealth health = window->Health();
    std::map<std::string, std::uint64_t> received;
    for (const ListenerCounts& l : health.listeners)
        received[l.name] = l.open ? l.received : 999;
    EXPECT_EQ(received, (std::map<std::string, std::uint64_t>{
                            {"UDP IPv4", 1}, {"UDP IPv6", 1}, {"TCP IPv4", 0}, {"TCP IPv6", 1}}));
    EXPECT_EQ(health.reader.received, 3u);
}

// An import takes effect as OK does: the ports and the IPv6 choice it
// names are listened on at once (the title named the new UDP port while
// only the old socket was open).
TEST_F(NetworkTest, AnImportIsListenedOnAtOnce) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the registry editor would write the operator's settings";
    TfrmUDP& w = StartListening(false);
    const int udp = FreeTcpPort(), tcp = FreeTcpPort();
    qmtest::WriteFile(dir / "in.qmr", "Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n"
                                      "\"Port\"=\"" + std::to_string(udp) + "\"\r\n\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Network]\r\n"
                                      "\"TcpPort\"=\"" + std::to_string(tcp) + "\"\r\n\"IPv6\"=\"1\"\r\n");
    dialogs.files = {QString::fromStdString((dir / "in.qmr").string())};
    Act("actImportOptions")->trigger();
    EXPECT_EQ(w.ListeningPort(), udp);
    EXPECT_TRUE(w.windowTitle().contains(QString("Udp/%1 ").arg(udp))) << w.windowTitle().toStdString();
    tcpPort = tcp;
    SendTcp("<13>app: to the imported port over IPv6\n", QHostAddress::LocalHostIPv6);
    EXPECT_TRUE(WaitUntil([&] { return Handled() == 1; }));
}

// An import whose port is taken: the box says why and when the imported
// values count; the title and the options say what is listened on, and the
// imported values are what the end saves.
TEST_F(NetworkTest, AnImportWhosePortIsTakenTakesEffectAtTheNextStart) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the registry editor would write the operator's settings";
    store.WriteDword(kGeneralKey, "Port", static_cast<std::uint32_t>(FreeTcpPort()));
    TfrmUDP& w = StartListening(false);
    const int before = w.ListeningPort();
    const QString title = w.windowTitle();
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0));
    const int taken = holder.localPort(), tcp = FreeTcpPort();
    qmtest::WriteFile(dir / "in.qmr", "Windows Registry Editor Version 5.00\r\n\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n"
                                      "\"Port\"=\"" + std::to_string(taken) + "\"\r\n\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Network]\r\n"
                                      "\"TcpPort\"=\"" + std::to_string(tcp) + "\"\r\n");
    dialogs.files = {QString::fromStdString((dir / "in.qmr").string())};
    Act("actImportOptions")->trigger();
    qmtest::Settle();
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_TRUE(dialogs.Messages()[1].text.endsWith("The imported values take effect at the next start."))
        << dialogs.Messages()[1].text.toStdString();
    EXPECT_EQ(w.ListeningPort(), before);
    EXPECT_EQ(w.windowTitle(), title);
    EXPECT_EQ(w.CurrentOptions().Network.TcpPort, tcpPort);
    w.Shutdown();
    Options saved;
    ASSERT_TRUE(LoadOptions(store, saved));
    EXPECT_EQ(saved.General.Port, taken);
    EXPECT_EQ(saved.Network.TcpPort, tcp);
}

// The session's end before the window had a turn: what the listeners
// received (both queues, and the unfinished message a TCP connection
// buffered) is logged before the program ends.
TEST_F(NetworkTest, WhatWasReceivedBeforeTheCloseIsLogged) {
    TfrmUDP& w = StartListening(false);
    constexpr int kEach = 3000;
    QUdpSocket udp;
    for (int i = 0; i < kEach; ++i)
        udp.writeDatagram("<13>app: udp " + QByteArray::number(i) + "\n", QHostAddress::LocalHost,
                          static_cast<quint16>(w.ListeningPort()));
    QTcpSocket tcp;
    tcp.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(tcpPort));
    ASSERT_TRUE(tcp.waitForConnected(5000));
    QByteArray stream;
    for (int i = 0; i < kEach; ++i)
        stream += "<13>app: tcp " + QByteArray::number(i) + "\n";
    tcp.write(stream + "<13>app: unfinished");
    ASSERT_TRUE(tcp.waitForBytesWritten(5000));
    // The readers have it all; the window has not handled any of it.
    ASSERT_TRUE(qmtest::PollUntil([&] { return w.Health().reader.received >= 2 * kEach; }));
    ASSERT_EQ(Handled(), 0u);
    w.EndSession();
    ASSERT_EQ(closedSignals, 1);
    const auto lines = Lines("Router");
    EXPECT_EQ(lines.size(), 2u * kEach + 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back()[ColMessage].find("unfinished"), std::string::npos);
}

#ifndef _WIN32
// rsyslog forwarding one message with omfwd over TCP (both framings) and
// over UDP: the two arrive as one message, but for the last character, which
// the datagram loses (rsyslog sends its datagrams without a terminator).
TEST_F(NetworkTest, RsyslogForwardingOverTcpIsHandledAsOverUdp) {
    const std::filesystem::path rsyslogd = QM_RSYSLOGD;
    ASSERT_TRUE(std::filesystem::exists(rsyslogd)) << rsyslogd << ": make test unpacks it (tools/unpack-rsyslog.sh)";
    std::filesystem::path modules;
    for (const auto& e : std::filesystem::recursive_directory_iterator(rsyslogd.parent_path().parent_path().parent_path()))
        if (e.path().filename() == "imudp.so") modules = e.path().parent_path();
    ASSERT_FALSE(modules.empty());
    TfrmUDP& w = StartListening(false);
    for (const char* framing : {"traditional", "octet-counted"}) {
        const int input = FreeTcpPort(); // a port for rsyslog's own UDP input
        const std::filesystem::path work = dir / framing;
        std::filesystem::create_directories(work);
        const auto forward = [&](const char* protocol, int port) {
            return std::string("action(type=\"omfwd\" target=\"127.0.0.1\" port=\"") + std::to_string(port) +
                   "\" protocol=\"" + protocol + "\" TCP_Framing=\"" + framing + "\")\n";
        };
        qmtest::WriteFile(work / "rsyslog.conf",
                          "global(workDirectory=\"" + work.string() + "\")\nmodule(load=\"imudp\")\n"
                          "input(type=\"imudp\" address=\"127.0.0.1\" port=\"" + std::to_string(input) + "\")\n" +
                              forward("tcp", tcpPort) + forward("udp", w.ListeningPort()));
        qmtest::Running rsyslog({rsyslogd.string(), "-n", "-f", (work / "rsyslog.conf").string(), "-i",
                                 (work / "rsyslog.pid").string(), "-M", modules.string()});
        // Probes until rsyslog hears (its input may open after its pid file).
        QUdpSocket toRsyslog;
        const std::size_t before = Handled();
        ASSERT_TRUE(WaitUntil(
            [&] {
                toRsyslog.writeDatagram("<13>app: probe", QHostAddress::LocalHost, static_cast<quint16>(input));
                return Handled() > before;
            },
            10000));
        const std::string text = std::string("forwarded with ") + framing;
        toRsyslog.writeDatagram(QByteArray("<13>app: ") + text.c_str() + "!", QHostAddress::LocalHost,
                                static_cast<quint16>(input));
        std::vector<std::vector<std::string>> copies;
        ASSERT_TRUE(WaitUntil([&] {
            copies.clear();
            for (const auto& line : Lines("Router"))
                if (line.size() == 9 && line[ColMessage].find(text) != std::string::npos) copies.push_back(line);
            return copies.size() == 2;
        }, 20000)) << copies.size() << " copies"; // rsyslog under a loaded machine takes its time
        copies[0][ColPort] = copies[1][ColPort] = "port";
        if (copies[1][ColMessage].back() == '!') std::swap(copies[0], copies[1]);
        ASSERT_EQ(copies[0][ColMessage].back(), '!') << framing << ": the TCP copy keeps its last character";
        copies[0][ColMessage].pop_back();
        EXPECT_EQ(copies[0], copies[1]) << framing;
    }
}
#endif

} // namespace
