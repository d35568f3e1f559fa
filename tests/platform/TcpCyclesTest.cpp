// Opt-in (label "tcpslow", make test-netload): 10,000 connections opened and closed
// leave the descriptors and the connection table as they were (and, under
// AddressSanitizer, no leak).
#include "platform/net/TcpReader.h"
#include "support/FakeClock.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace qm;

namespace {

std::size_t OpenDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

TEST(TcpCycles, TenThousandConnectionsLeaveNothingBehind) {
    qmtest::FakeClock clock;
    DatagramQueue queue(1 << 20);
    TcpReader reader(clock, queue, [] {});
    auto socket = std::make_unique<TcpListenSocket>();
    int port = 0;
    for (int tries = 0; tries < 50 && !socket->Open(port = 20000 + std::rand() % 40000, Family::IPv4); ++tries) {
    }
    std::vector<std::unique_ptr<TcpListenSocket>> sockets;
    sockets.push_back(std::move(socket));
    reader.Start(std::move(sockets));
    reader.SetListening(true);
    const std::size_t before = OpenDescriptors();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<unsigned short>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::uint64_t taken = 0;
    for (int i = 0; i < 10000; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to), 0) << i;
        const std::string message = "<13>app: cycle " + std::to_string(i) + "\n";
        ASSERT_EQ(send(s, message.data(), message.size(), 0), static_cast<ssize_t>(message.size()));
        ::close(s);
        // A hundred at a time, each accepted and gone before the next: well
        // under the limit of open connections (past it they are refused).
        if (i % 100 == 99) {
            ASSERT_TRUE(qmtest::PollUntil([&] {
                reader.Woken();
                DatagramQueue::Batch batch = queue.TakeAll();
                Datagram d;
                while (batch.Next(d))
                    ++taken;
                const TcpCounts counts = reader.Counts();
                return counts.listeners[0].accepted == static_cast<std::uint64_t>(i + 1) && counts.connections.empty();
            }));
        }
    }
    ASSERT_TRUE(qmtest::PollUntil(
        [&] {
            reader.Woken();
            DatagramQueue::Batch batch = queue.TakeAll();
            Datagram d;
            while (batch.Next(d))
                ++taken;
            return taken == 10000 && reader.Counts().connections.empty();
        },
        30000))
        << taken << " messages taken, " << reader.Counts().listeners[0].messages << " handed on, "
        << reader.Counts().listeners[0].accepted << " accepted, " << reader.Counts().listeners[0].refused << " refused, "
        << reader.Counts().connections.size() << " connections";
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(reader.Counts().listeners[0].accepted, 10000u);
    EXPECT_EQ(reader.Counts().listeners[0].refused, 0u);
}

} // namespace
