// The bounded queue between the reader thread and the UI thread.
#include "platform/net/DatagramQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using namespace qm;

namespace {

const DateTime kAt{2026, 12, 6, 21, 12, 19};

std::vector<std::string> Drain(DatagramQueue& q) {
    std::vector<std::string> out;
    DatagramQueue::Batch batch = q.TakeAll();
    Datagram d;
    while (batch.Next(d))
        out.emplace_back(d.bytes);
    return out;
}

TEST(DatagramQueue, KeepsOrderAndEverythingAboutADatagram) {
    DatagramQueue q(1 << 20);
    ASSERT_TRUE(q.Push("first", "10.0.0.9", 514, kAt, true));
    ASSERT_TRUE(q.Push(std::string_view("\0\xB6", 2), "255.255.255.255", 65535, DateTime{2027, 1, 1, 0, 0, 0}, false));
    ASSERT_TRUE(q.Push("", "1.2.3.4", 1, kAt, true));
    DatagramQueue::Batch batch = q.TakeAll();
    Datagram d;
    ASSERT_TRUE(batch.Next(d));
    EXPECT_EQ(d.bytes, "first");
    EXPECT_EQ(d.fromIp, "10.0.0.9");
    EXPECT_EQ(d.fromPort, 514);
    EXPECT_EQ(d.arrived, kAt);
    EXPECT_TRUE(d.listening);
    ASSERT_TRUE(batch.Next(d));
    EXPECT_EQ(d.bytes, std::string_view("\0\xB6", 2));
    EXPECT_EQ(d.fromIp, "255.255.255.255");
    EXPECT_EQ(d.fromPort, 65535);
    EXPECT_FALSE(d.listening);
    ASSERT_TRUE(batch.Next(d));
    EXPECT_EQ(d.bytes.size(), 0u);
    EXPECT_FALSE(batch.Next(d));
}

// Bounded by bytes: the newest datagram that does not fit is refused, and a
// released batch gives its room back.
TEST(DatagramQueue, AFullQueueRefusesTheNewestUntilTheUiTakesAndReleases) {
    const std::size_t each = DatagramQueue::EntrySize(150);
    DatagramQueue q(each * 100);
    int accepted = 0;
    for (int i = 0; i < 150; ++i)
        accepted += q.Push(std::string(150, static_cast<char>('a' + i % 26)), "1.1.1.1", i, kAt, true);
    EXPECT_EQ(accepted, 100);
    {
        DatagramQueue::Batch held = q.TakeAll();
        EXPECT_FALSE(q.Push(std::string(150, 'z'), "1.1.1.1", 1, kAt, true)); // still held
        Datagram d;
        int n = 0;
        while (held.Next(d))
            ASSERT_EQ(d.fromPort, n++); // the first hundred, in order
        EXPECT_EQ(n, 100);
    }
    EXPECT_EQ(q.HeldBytes(), 0u);
    EXPECT_TRUE(q.Push(std::string(150, 'y'), "1.1.1.1", 1, kAt, true));
    EXPECT_EQ(Drain(q), std::vector<std::string>{std::string(150, 'y')});
}

TEST(DatagramQueue, TheLargestDatagramFitsAndLeavesNoMemoryBehind) {
    DatagramQueue q(8 << 20);
    for (int i = 0; i < 40; ++i) // several blocks' worth
        ASSERT_TRUE(q.Push(std::string(65507, static_cast<char>('a' + i)), "1.1.1.1", i, kAt, true));
    const std::vector<std::string> all = Drain(q);
    ASSERT_EQ(all.size(), 40u);
    EXPECT_EQ(all[39], std::string(65507, static_cast<char>('a' + 39)));
    EXPECT_EQ(q.HeldBytes(), 0u);
}

// A long batch, as after a busy spell, gives each block back once it is
// read, so new datagrams find room while the rest is still being handled.
TEST(DatagramQueue, ABatchGivesBackWhatItHasReadWhileItIsRead) {
    const std::string big(65507, 'b');
    DatagramQueue q(40 * DatagramQueue::EntrySize(big.size()));
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(q.Push(big, "1.1.1.1", i, kAt, true));
    EXPECT_FALSE(q.Push("x", "1.1.1.1", 1, kAt, true)); // full
    DatagramQueue::Batch batch = q.TakeAll();
    Datagram d;
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(batch.Next(d));
    EXPECT_TRUE(q.Push("x", "1.1.1.1", 1, kAt, true)); // room from the blocks read
    int rest = 0;
    while (batch.Next(d))
        ++rest;
    EXPECT_EQ(rest, 10);
    batch = DatagramQueue::Batch();
    EXPECT_EQ(Drain(q), std::vector<std::string>{"x"});
    EXPECT_EQ(q.HeldBytes(), 0u);
}

TEST(DatagramQueue, AProducerThreadAndAConsumerMeetInOrder) {
    DatagramQueue q(1 << 16); // small: the producer often finds it full
    std::atomic<bool> done{false};
    int pushed = 0;
    std::thread producer([&] {
        for (int i = 0; i < 200000; ++i)
            while (!q.Push(std::to_string(i), "1.1.1.1", 1, kAt, true))
                std::this_thread::yield();
        pushed = 200000;
        done = true;
    });
    int next = 0;
    while (!done || q.HeldBytes() > 0) {
        for (const std::string& s : Drain(q))
            ASSERT_EQ(s, std::to_string(next++));
    }
    producer.join();
    for (const std::string& s : Drain(q))
        ASSERT_EQ(s, std::to_string(next++));
    EXPECT_EQ(next, pushed);
}

} // namespace
