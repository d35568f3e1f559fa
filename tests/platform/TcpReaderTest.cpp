// The TCP reader on real sockets of the loopback: framed messages with their
// senders, the connection limit, and a full queue that holds the senders
// back instead of dropping what they send.
#include "platform/TcpReader.h"
#include "support/FakeClock.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <atomic>

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
    bool Connected() const { return connected_; }
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

private:
    Handle s_;
    bool connected_ = false;
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

    int Listen(std::vector<Family> families = {Family::IPv4}) {
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
        reader.Start(std::move(sockets));
        reader.SetListening(true);
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

} // namespace
