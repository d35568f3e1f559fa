// The reader thread on a real socket of 127.0.0.1, without Qt.
#include "platform/net/DatagramReader.h"
#include "support/FakeClock.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <atomic>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#define closesocket close
#endif

using namespace qm;

namespace {

class Sender {
public:
    explicit Sender(int port) : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
        to_.sin_family = AF_INET;
        to_.sin_port = htons(static_cast<unsigned short>(port));
        to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~Sender() { closesocket(fd_); }
    void Send(const std::string& d) {
        sendto(fd_, d.data(), static_cast<int>(d.size()), 0, reinterpret_cast<sockaddr*>(&to_), sizeof to_);
    }

private:
#ifdef _WIN32
    SOCKET fd_;
#else
    int fd_;
#endif
    sockaddr_in to_{};
};

TEST(DatagramReader, DrainsTheSocketIntoTheQueueAndWakesTheConsumer) {
    qmtest::FakeClock clock;
    DatagramQueue queue(1 << 20);
    std::atomic<int> wakes{0};
    DatagramReader reader(clock, queue, [&] { ++wakes; });
    auto socket = std::make_unique<UdpSocket>();
    ASSERT_TRUE(socket->Open(0));
    const int port = socket->BoundPort();
    reader.Start(std::move(socket));
    reader.SetListening(true);
    Sender sender(port);
    for (int i = 0; i < 100; ++i)
        sender.Send("<13>a: " + std::to_string(i));
    ASSERT_TRUE(qmtest::PollUntil([&] { return reader.Counts().received == 100; }));
    EXPECT_GE(wakes.load(), 1);
    const int wakesBefore = wakes;
    sender.Send("<13>a: more"); // not woken again until the consumer says it took them
    ASSERT_TRUE(qmtest::PollUntil([&] { return reader.Counts().received == 101; }));
    EXPECT_EQ(wakes.load(), wakesBefore);
    reader.Woken();
    DatagramQueue::Batch batch = queue.TakeAll();
    Datagram d;
    int n = 0;
    while (batch.Next(d))
        ASSERT_EQ(d.bytes, n < 100 ? "<13>a: " + std::to_string(n++) : (++n, std::string("<13>a: more")));
    EXPECT_EQ(n, 101);
    EXPECT_EQ(d.arrived, clock.Now());
    sender.Send("<13>a: after");
    EXPECT_TRUE(qmtest::PollUntil([&] { return wakes == wakesBefore + 1; }));
    reader.Stop(); // joins the thread at once, no datagram needed
}

// The system's own drops for want of room in a tiny receive buffer: counted
// on Linux (SO_RXQ_OVFL), "unknown" on Windows, never a false zero.
TEST(DatagramReader, SystemDropsAreCountedWhereTheSystemSaysSo) {
    UdpSocket socket;
    ASSERT_TRUE(socket.Open(0, 2048));
    Sender sender(socket.BoundPort());
    for (int i = 0; i < 200; ++i)
        sender.Send(std::string(1000, 'x'));
    ReceiveBatch batch;
    int read = 0;
    while (socket.ReadBatch(batch) == UdpSocket::Read::Datagram)
        read += batch.count;
    EXPECT_LT(read, 200);
    // The system tells the count with the next datagram it queues.
    sender.Send("next");
    ASSERT_TRUE(qmtest::PollUntil([&] { return socket.ReadBatch(batch) == UdpSocket::Read::Datagram; }));
    if (UdpSocket::CountsSystemDrops()) {
        ASSERT_TRUE(batch.systemDrops.has_value());
        EXPECT_EQ(read + static_cast<int>(*batch.systemDrops), 200);
    } else {
        EXPECT_FALSE(batch.systemDrops.has_value());
    }
}

// A burst that overflowed the buffer shows its drops at once: no later
// datagram needs to come and carry the count.
TEST(DatagramReader, SystemDropsShowWithoutALaterDatagram) {
    qmtest::FakeClock clock;
    DatagramQueue queue(1 << 20);
    DatagramReader reader(clock, queue, [] {});
    auto socket = std::make_unique<UdpSocket>();
    ASSERT_TRUE(socket->Open(0, 2048));
    Sender sender(socket->BoundPort());
    // The burst comes before the reader reads: what fits was queued before any drop.
    for (int i = 0; i < 200; ++i)
        sender.Send(std::string(1000, 'x'));
    reader.Start(std::move(socket));
    std::uint64_t received = 0;
    ASSERT_TRUE(qmtest::PollUntil([&] {
        const std::uint64_t now = reader.Counts().received;
        const bool settled = now > 0 && now == received;
        received = now;
        return settled;
    }));
    const ReaderCounts counts = reader.Counts();
    if (!UdpSocket::CountsSystemDrops()) {
        EXPECT_FALSE(counts.systemDrops.has_value()); // Windows: "n/a", never a false zero
        return;
    }
    ASSERT_TRUE(counts.systemDrops.has_value());
    EXPECT_EQ(counts.received + *counts.systemDrops, 200u);
}

} // namespace

// A fast stream must not sleep long enough to fill the receive buffer; a
// slow one gathers the longest allowed, which is what saves its wake-ups.
TEST(DatagramReader, GathersAboutTheSameNumberOfDatagramsAtAnyRate) {
    struct Case {
        std::uint64_t read;
        std::int64_t elapsedUs;
        int sleepUs;
    };
    const Case cases[] = {
        {0, 5'000'000, DatagramReader::kGatherMaxUs}, // woken by nothing: a stop request
        {1, 1'000'000, DatagramReader::kGatherMaxUs}, // one a second
        {160, 1'000, 1'600},                          // 160,000/s
        {400, 1'000, 640},                            // 400,000/s
        {4'000, 1'000, DatagramReader::kGatherMinUs}, // a burst far above any sender's rate
        {10, 0, DatagramReader::kGatherMinUs},        // a clock that did not move
    };
    for (const Case& c : cases)
        EXPECT_EQ(DatagramReader::GatherUs(c.read, c.elapsedUs), c.sleepUs) << c.read << " in " << c.elapsedUs << " us";
}
