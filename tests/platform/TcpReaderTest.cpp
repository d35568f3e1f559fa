// The TCP reader on real sockets of the loopback: framed messages with their
// senders, the connection limit, and a full queue that holds the senders
// back instead of dropping what they send.
#include "platform/net/TcpFraming.h"
#include "platform/net/TcpReader.h"
#include "support/FakeClock.h"
#include "support/Process.h"
#include "support/Seed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using Handle = SOCKET;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
using Handle = int;
#define closesocket close
#endif

using namespace qm;

namespace {

// A sender's end of a connection to the reader's port on the loopback.
class Client {
public:
    Client(int port, Family family = Family::IPv4) : s_(socket(family == Family::IPv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0)) {
        if (family == Family::IPv6) {
            sockaddr_in6 to{};
            to.sin6_family = AF_INET6;
            to.sin6_port = htons(static_cast<unsigned short>(port));
            to.sin6_addr = in6addr_loopback;
            connected_ = connect(s_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
        } else {
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(static_cast<unsigned short>(port));
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            connected_ = connect(s_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
        }
    }
    ~Client() { Close(); }
    Client(Client&& other) noexcept : s_(other.s_), connected_(other.connected_) { other.s_ = static_cast<Handle>(-1); }
    bool Connected() const { return connected_; }
    // The port the reader sees this sender on.
    int LocalPort() const {
        sockaddr_storage local{};
        socklen_t len = sizeof local;
        getsockname(s_, reinterpret_cast<sockaddr*>(&local), &len);
        return ntohs(reinterpret_cast<sockaddr_in*>(&local)->sin_port);
    }
    // One byte sent as urgent data.
    void SendUrgent(char byte) { send(s_, &byte, 1, MSG_OOB); }
    void Send(const std::string& bytes) {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const auto n = send(s_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
    }
    // Whether the other side has closed the connection (a read gives its end).
    bool ClosedByPeer() {
        char byte;
        return recv(s_, &byte, 1, 0) == 0;
    }
    void Close() {
        if (s_ != static_cast<Handle>(-1)) closesocket(s_);
        s_ = static_cast<Handle>(-1);
    }
    // Ends a send blocked in another thread (a test that failed early).
    void Abort() {
        if (s_ != static_cast<Handle>(-1)) shutdown(s_, 2);
    }

private:
    Handle s_;
    bool connected_ = false;
};

// A sender pushing its bytes from a thread of its own; a test that ends
// early aborts the send instead of waiting for a reader nobody drains.
class Sending {
public:
    Sending(Client& client, const std::string& bytes)
        : client_(client), thread_([this, &bytes] {
              client_.Send(bytes);
              done_ = true;
          }) {}
    ~Sending() {
        if (!done_) client_.Abort();
        thread_.join();
    }
    bool Done() const { return done_; }

private:
    Client& client_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

struct Received {
    std::string bytes, from;
    int port;
};

class TcpReaderTest : public ::testing::Test {
protected:
    qmtest::FakeClock clock;
    DatagramQueue queue{1 << 20};
    TcpReader reader{clock, queue, [] {}};
    std::vector<Received> received;

    int Listen(std::vector<Family> families = {Family::IPv4}) { return ListenWith(reader, families); }
    static int ListenWith(TcpReader& on, std::vector<Family> families = {Family::IPv4}) {
        std::vector<std::unique_ptr<TcpListenSocket>> sockets;
        int port = 0;
        for (Family f : families) {
            auto s = std::make_unique<TcpListenSocket>();
            // The first on a free port, the others on the same.
            for (int tries = 0; tries < 50; ++tries) {
                if (port == 0) port = 20000 + (std::rand() % 40000);
                if (s->Open(port, f)) break;
                if (sockets.empty()) port = 0;
            }
            sockets.push_back(std::move(s));
        }
        on.Start(std::move(sockets));
        on.SetListening(true);
        return port;
    }
    // Takes what is queued, as the window's hand-over does.
    void Take() {
        reader.Woken();
        DatagramQueue::Batch batch = queue.TakeAll();
        Datagram d;
        while (batch.Next(d))
            received.push_back({std::string(d.bytes), std::string(d.fromIp), d.fromPort});
    }
    bool TakeUntil(std::size_t count) {
        return qmtest::PollUntil([&] {
            Take();
            return received.size() >= count;
        });
    }
};

TEST_F(TcpReaderTest, FramedMessagesArriveWithTheirSender) {
    const int port = Listen({Family::IPv4, Family::IPv6});
    Client v4(port), v6(port, Family::IPv6);
    ASSERT_TRUE(v4.Connected());
    ASSERT_TRUE(v6.Connected());
    v4.Send("16 <13>app: counted<14>app: by LF\n");
    ASSERT_TRUE(TakeUntil(2));
    v6.Send("<13>app: over IPv6\n");
    ASSERT_TRUE(TakeUntil(3));
    EXPECT_EQ(received[0].bytes, "<13>app: counted");
    EXPECT_EQ(received[1].bytes, "<14>app: by LF");
    EXPECT_EQ(received[0].from, "127.0.0.1");
    EXPECT_GT(received[0].port, 0);
    EXPECT_EQ(received[2].bytes, "<13>app: over IPv6");
    EXPECT_EQ(received[2].from, "::1");
    const TcpCounts counts = reader.Counts();
    EXPECT_EQ(counts.listeners[0].messages, 2u);
    EXPECT_EQ(counts.listeners[1].messages, 1u);
    ASSERT_EQ(counts.connections.size(), 2u);
    EXPECT_EQ(counts.connections[0].messages, 2u);
    // A connection closed in the middle of a message hands on what came.
    v4.Send("<13>app: half");
    v4.Close();
    ASSERT_TRUE(TakeUntil(4));
    EXPECT_EQ(received[3].bytes, "<13>app: half");
    EXPECT_TRUE(qmtest::PollUntil([&] { return reader.Counts().connections.size() == 1; }));
}

// At most 256 connections: one more is accepted, closed at once and counted.
TEST_F(TcpReaderTest, OneConnectionPastTheLimitIsClosedAtOnce) {
    const int port = Listen();
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < TcpReader::kMaxConnections; ++i)
        clients.push_back(std::make_unique<Client>(port));
    ASSERT_TRUE(qmtest::PollUntil([&] { return reader.Counts().connections.size() == 256u; }, 10000));
    Client extra(port);
    ASSERT_TRUE(extra.Connected()); // the system accepts it first
    EXPECT_TRUE(extra.ClosedByPeer());
    EXPECT_EQ(reader.Counts().listeners[0].refused, 1u);
    clients.back()->Send("<13>app: still heard\n");
    EXPECT_TRUE(TakeUntil(1));
    clients.clear();
    EXPECT_TRUE(qmtest::PollUntil([&] { return reader.Counts().connections.empty(); }, 10000));
}

// A full queue stops the reading; TCP holds the rest at the sender, and
// nothing is lost once the queue has room again.
TEST_F(TcpReaderTest, AFullQueueHoldsTheSenderBackInsteadOfDropping) {
    DatagramQueue small(4096);
    TcpReader slow(clock, small, [] {});
    auto socket = std::make_unique<TcpListenSocket>();
    int port = 0;
    for (int tries = 0; tries < 50 && !socket->Open(port = 20000 + std::rand() % 40000, Family::IPv4); ++tries) {
    }
    std::vector<std::unique_ptr<TcpListenSocket>> sockets;
    sockets.push_back(std::move(socket));
    slow.Start(std::move(sockets));
    Client client(port);
    ASSERT_TRUE(client.Connected());
    std::string stream;
    for (int i = 0; i < 2000; ++i)
        stream += "<13>app: message " + std::to_string(i) + "\n";
    client.Send(stream);
    int got = 0;
    ASSERT_TRUE(qmtest::PollUntil(
        [&] {
            slow.Woken();
            DatagramQueue::Batch batch = small.TakeAll();
            Datagram d;
            while (batch.Next(d)) {
                if (d.bytes != "<13>app: message " + std::to_string(got)) return true; // out of order: fails below
                ++got;
            }
            return got == 2000;
        },
        20000));
    EXPECT_EQ(got, 2000);
}

// What a forwarder pushes through one connection after a reconnect: messages
// that start with <13>, name their connection and number, and are padded to
// a random size up to the longest (no LF or NUL inside, for LF framing).
struct Backlog {
    std::string stream;                // the bytes as sent
    std::vector<std::string> messages; // what must arrive, in this order
};

Backlog MakeBacklog(std::mt19937& random, int connection, std::size_t bytes, bool counted) {
    Backlog b;
    for (int n = 0; b.stream.size() < bytes; ++n) {
        std::string m = "<13>app: c" + std::to_string(connection) + " n" + std::to_string(n) + " ";
        const unsigned kind = random() % 100;
        std::size_t size = kind < 70 ? 20 + random() % 300 : kind < 95 ? random() % 9000 : random() % (TcpFramer::kMaxMessage + 1);
        size = std::clamp(size, m.size(), TcpFramer::kMaxMessage);
        m.resize(size, static_cast<char>('a' + n % 26));
        b.stream += counted ? std::to_string(m.size()) + " " + m : m + "\n";
        b.messages.push_back(std::move(m));
    }
    return b;
}

// Takes what a reader queued, as the window's hand-over does, and checks each
// message against what its sender (known by its port) sent, in order, once.
class Checker {
public:
    void Expect(int senderPort, const Backlog& backlog) { senders_[senderPort] = {&backlog, 0}; }
    void Take(TcpReader& reader, DatagramQueue& queue) {
        reader.Woken();
        DatagramQueue::Batch batch = queue.TakeAll();
        Datagram d;
        while (batch.Next(d)) {
            auto it = senders_.find(d.fromPort);
            if (it == senders_.end() || it->second.next >= it->second.backlog->messages.size() ||
                d.bytes != it->second.backlog->messages[it->second.next])
                ++wrong_;
            else
                ++it->second.next;
        }
    }
    // Takes until every message arrived or one came wrong (a minute at most).
    bool TakeAll(TcpReader& reader, DatagramQueue& queue) {
        return qmtest::PollUntil(
            [&] {
                Take(reader, queue);
                return AllArrived() || wrong_ > 0;
            },
            60000);
    }
    bool AllArrived() const {
        for (const auto& [port, s] : senders_)
            if (s.next < s.backlog->messages.size()) return false;
        return true;
    }
    std::size_t Wrong() const { return wrong_; }
    std::string Progress() const {
        std::string text;
        for (const auto& [port, s] : senders_)
            text += std::to_string(s.next) + "/" + std::to_string(s.backlog->messages.size()) + " ";
        return text + "arrived, " + std::to_string(wrong_) + " wrong or out of order";
    }

private:
    struct Sender {
        const Backlog* backlog;
        std::size_t next;
    };
    std::map<int, Sender> senders_;
    std::size_t wrong_ = 0;
};

// Backlogs of several MB, sizes up to the longest message, both framings:
// every message arrives, in order, once (the reader once stopped reading a
// connection for good when its buffer filled behind an unfinished frame).
TEST_F(TcpReaderTest, BacklogsOfAnySizeArriveWholeAndInOrder) {
    std::mt19937 random(qmtest::TestSeed());
    struct Case {
        int connections;
        std::size_t bytesEach;
    };
    for (const Case c : {Case{1, 6u << 20}, Case{20, 700u << 10}}) {
        TcpReader r(clock, queue, [] {});
        const int port = ListenWith(r);
        std::vector<Backlog> backlogs;
        std::vector<Client> clients;
        Checker checker;
        for (int i = 0; i < c.connections; ++i) {
            // One connection alone gets both framings, one after the other.
            backlogs.push_back(MakeBacklog(random, i, c.bytesEach, c.connections == 1 || i % 2 == 0));
            if (c.connections == 1) {
                const Backlog lf = MakeBacklog(random, i, c.bytesEach, false);
                backlogs.back().stream += lf.stream;
                backlogs.back().messages.insert(backlogs.back().messages.end(), lf.messages.begin(), lf.messages.end());
            }
        }
        for (int i = 0; i < c.connections; ++i) {
            clients.emplace_back(port);
            ASSERT_TRUE(clients.back().Connected());
            checker.Expect(clients.back().LocalPort(), backlogs[static_cast<std::size_t>(i)]);
        }
        std::vector<std::unique_ptr<Sending>> senders;
        for (int i = 0; i < c.connections; ++i)
            senders.push_back(std::make_unique<Sending>(clients[static_cast<std::size_t>(i)],
                                                        backlogs[static_cast<std::size_t>(i)].stream));
        const bool arrived = checker.TakeAll(r, queue);
        senders.clear();
        EXPECT_TRUE(arrived) << c.connections << " connections: " << checker.Progress();
        EXPECT_EQ(checker.Wrong(), 0u) << checker.Progress();
    }
}

// The frames that stalled a connection: a counted frame, one nearly as long as
// the buffer behind it, then a short line.
TEST_F(TcpReaderTest, ALongFrameBehindAnotherArrives) {
    const int port = Listen();
    Client client(port);
    ASSERT_TRUE(client.Connected());
    const std::string first(3010 - 4, 'a'), second(65006 - 4, 'b');
    client.Send("3010 <13>" + first + "65006 <13>" + second + "<13>app: short\n");
    ASSERT_TRUE(TakeUntil(3)) << received.size() << " of 3";
    EXPECT_EQ(received[0].bytes, "<13>" + first);
    EXPECT_EQ(received[1].bytes, "<13>" + second);
    EXPECT_EQ(received[2].bytes, "<13>app: short");
}

// The window's thread held up: the queue fills, the reading pauses, the
// sender waits (TCP holds its bytes); once the queue is taken again every
// message arrives.
TEST_F(TcpReaderTest, ABacklogWaitsWhileTheConsumerIsHeld) {
    std::mt19937 random(qmtest::TestSeed());
    const int port = Listen();
    Client client(port);
    ASSERT_TRUE(client.Connected());
    const Backlog backlog = MakeBacklog(random, 0, 24u << 20, true);
    Checker checker;
    checker.Expect(client.LocalPort(), backlog);
    const Sending sender(client, backlog.stream);
    // Held: nobody takes the queue. It fills to its bound and no further.
    EXPECT_TRUE(qmtest::PollUntil([&] { return queue.HeldBytes() > queue.Capacity() / 2; }));
    EXPECT_FALSE(qmtest::PollUntil([&] { return sender.Done(); }, 1000)) << "the sender should wait";
    EXPECT_LE(queue.HeldBytes(), queue.Capacity());
    const bool arrived = checker.TakeAll(reader, queue);
    EXPECT_TRUE(arrived) << checker.Progress();
    EXPECT_EQ(checker.Wrong(), 0u) << checker.Progress();
}

// A clock that the test can hold: the reader's thread stops in it.
class HoldingClock : public Clock {
public:
    DateTime Now() const override {
        std::unique_lock<std::mutex> lock(m_);
        if (held_) {
            waiting_ = true;
            released_.wait(lock, [this] { return !held_; });
        }
        return DateTime{2026, 12, 8, 12, 0, 0};
    }
    void Hold() {
        const std::lock_guard<std::mutex> lock(m_);
        held_ = true;
    }
    void Release() {
        {
            const std::lock_guard<std::mutex> lock(m_);
            held_ = false;
        }
        released_.notify_all();
    }
    bool SomebodyWaits() const {
        const std::lock_guard<std::mutex> lock(m_);
        return waiting_;
    }

private:
    mutable std::mutex m_;
    mutable std::condition_variable released_;
    bool held_ = false;
    mutable bool waiting_ = false;
};

// Senders that connect, send one message and close (logger does), many more
// than the connection limit while the reader is held up: each gone sender is
// read to its end and gives its place back, so none is refused.
TEST_F(TcpReaderTest, ShortConnectionsWhileTheReaderIsHeldAreNotRefused) {
    HoldingClock holding;
    TcpReader held(holding, queue, [] {});
    const int port = ListenWith(held);
    holding.Hold();
    Client first(port);
    first.Send("<13>app: first\n");
    ASSERT_TRUE(qmtest::PollUntil([&] { return holding.SomebodyWaits(); }));
    constexpr int kCycles = 1000;
    for (int i = 0; i < kCycles; ++i) {
        Client c(port);
        ASSERT_TRUE(c.Connected()) << i;
        c.Send("<13>app: short " + std::to_string(i) + "\n");
    }
    qmtest::SleepMs(1000); // the reader stays held a second in all
    holding.Release();
    std::size_t got = 0;
    const bool all = qmtest::PollUntil(
        [&] {
            held.Woken();
            DatagramQueue::Batch batch = queue.TakeAll();
            Datagram d;
            while (batch.Next(d))
                ++got;
            return got == kCycles + 1;
        },
        30000);
    EXPECT_TRUE(all) << got << " of " << kCycles + 1;
    EXPECT_EQ(held.Counts().listeners[0].refused, 0u);
}

// A sender that vanished without closing gives its place back after the idle
// limit; the unfinished message it left is handed on, and the close counted.
TEST_F(TcpReaderTest, ASilentConnectionIsClosedAfterTheIdleLimit) {
    TcpReader r(clock, queue, [] {});
    r.SetIdleLimit(std::chrono::milliseconds(300));
    const int port = ListenWith(r);
    Client client(port);
    client.Send("<13>app: unfinished");
    EXPECT_TRUE(client.ClosedByPeer());
    EXPECT_TRUE(qmtest::PollUntil([&] {
        r.Woken();
        DatagramQueue::Batch batch = queue.TakeAll();
        Datagram d;
        while (batch.Next(d))
            received.push_back({std::string(d.bytes), std::string(d.fromIp), d.fromPort});
        return !received.empty();
    }));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, "<13>app: unfinished");
    EXPECT_EQ(r.Counts().listeners[0].idleClosed, 1u);
    EXPECT_TRUE(r.Counts().connections.empty());
}

// The operator's OK with TCP still on (another port, IPv6 turned on or off):
// the connections stay and their backlog arrives whole.
TEST_F(TcpReaderTest, NewListeningSocketsKeepTheOpenConnections) {
    std::mt19937 random(qmtest::TestSeed());
    const int port = Listen();
    Client client(port);
    ASSERT_TRUE(client.Connected());
    const Backlog backlog = MakeBacklog(random, 0, 4u << 20, false);
    Checker checker;
    checker.Expect(client.LocalPort(), backlog);
    const Sending sender(client, backlog.stream);
    for (std::uint64_t change = 1; change <= 3; ++change) {
        // Each change in the middle of the backlog.
        ASSERT_TRUE(qmtest::PollUntil([&] {
            checker.Take(reader, queue);
            return reader.Counts().listeners[0].messages > change * backlog.messages.size() / 5;
        })) << checker.Progress();
        Listen({change % 2 ? Family::IPv4 : Family::IPv6, Family::IPv4});
    }
    const bool arrived = checker.TakeAll(reader, queue);
    EXPECT_TRUE(arrived) << checker.Progress();
    EXPECT_EQ(checker.Wrong(), 0u) << checker.Progress();
}

// TCP turned off: what the connections buffered is queued before they close.
TEST_F(TcpReaderTest, StoppingQueuesWhatTheConnectionsBuffered) {
    const int port = Listen();
    Client client(port);
    client.Send("<13>app: whole\n<13>app: not finished");
    ASSERT_TRUE(TakeUntil(1));
    reader.Stop();
    Take();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].bytes, "<13>app: not finished");
}

// An urgent byte is read as ordinary data: left out of band, Windows' poll
// reported it readable while no read took it, and the reader spun.
TEST_F(TcpReaderTest, AnUrgentByteIsReadAsData) {
    const int port = Listen();
    Client client(port);
    client.Send("<13>app: before\n");
    ASSERT_TRUE(TakeUntil(1));
    client.SendUrgent('!');
    client.Send("<13>app: after\n");
    ASSERT_TRUE(TakeUntil(2));
    EXPECT_EQ(received[1].bytes, "!<13>app: after");
}

} // namespace
