// Syslog over TCP, framed as RFC 6587 says, however the stream is cut into
// segments; hostile counts and over-long frames never desynchronise it.
#include "platform/net/TcpFraming.h"
#include "platform/net/TcpStreamBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace qm;

namespace {

struct Framed {
    std::vector<std::string> messages;
    int cut = 0;
};

// The stream fed in segments as a connection reads it: `cuts` are the
// positions where a segment ends; then the connection closes.
Framed Frame(const std::string& stream, const std::vector<std::size_t>& cuts = {}) {
    TcpFramer framer;
    Framed out;
    std::string buffered;
    std::size_t from = 0;
    const auto drain = [&](bool closed) {
        for (;;) {
            const TcpFramer::Step step = framer.Next(buffered, closed);
            framer.Take(step);
            if (step.hasMessage) out.messages.emplace_back(step.message);
            if (step.cut) ++out.cut;
            if (!step.hasMessage && step.consumed == 0) break;
            buffered.erase(0, step.consumed);
            if (closed && buffered.empty() && !step.hasMessage) break;
        }
    };
    for (std::size_t cut : cuts) {
        buffered += stream.substr(from, cut - from);
        from = cut;
        drain(false);
    }
    buffered += stream.substr(from);
    drain(false);
    drain(true);
    return out;
}

using namespace std::string_literals;

// The digits of a line ("2026-12-06") are its own when no space follows them.
const std::string kStream = "22 <13>app: counted first"
                            "<14>app: by LF\n"
                            "2026-12-06 starts with digits\r\n"
                            "5 <13>x"
                            "<15>app: by NUL\0"s
                            "11 hello world";

using Messages = std::vector<std::string>;

TEST(TcpFraming, BothFramingsAtEverySegmentBoundary) {
    const Messages expected = {"<13>app: counted first", "<14>app: by LF", "2026-12-06 starts with digits", "<13>x",
                               "<15>app: by NUL", "hello world"};
    EXPECT_EQ(Frame(kStream).messages, expected);
    for (std::size_t cut = 1; cut < kStream.size(); ++cut)
        EXPECT_EQ(Frame(kStream, {cut}).messages, expected) << "cut at " << cut;
    // Every byte a segment of its own.
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < kStream.size(); ++i)
        everyByte.push_back(i);
    EXPECT_EQ(Frame(kStream, everyByte).messages, expected);
}

TEST(TcpFraming, TheSendersCloseHandsOnWhatCame) {
    EXPECT_EQ(Frame("40 <13>app: only half").messages, Messages{"<13>app: only half"});
    EXPECT_EQ(Frame("<13>app: no LF yet").messages, Messages{"<13>app: no LF yet"});
    EXPECT_EQ(Frame("12").messages, Messages{"12"}); // undecided digits: the message itself
    EXPECT_EQ(Frame("").messages, Messages{});
}

TEST(TcpFraming, HostileCountsAndOverLongFramesAreCutAndSkipped) {
    // A count past the longest message is honoured as counted: the message
    // is cut, the rest of its bytes dropped, and the next frame starts right
    // after them (an octet-counting sender never sends the LF a skip to the
    // next line would wait for).
    const std::string longest(TcpFramer::kMaxMessage, 'a');
    Framed f = Frame("65508 " + longest + "b" + "5 <13>x" + "5 <13>y");
    EXPECT_EQ(f.messages, (Messages{longest, "<13>x", "<13>y"}));
    EXPECT_EQ(f.cut, 1);
    f = Frame("99999 " + longest + std::string(99999 - TcpFramer::kMaxMessage, 'z') + "\n3 end");
    EXPECT_EQ(f.messages, (Messages{longest, "", "end"}));
    // A counted frame's own terminator is not the message's.
    EXPECT_EQ(Frame("6 <13>x\n6 <13>y\0007 <13>z\r\n"s).messages, (Messages{"<13>x", "<13>y", "<13>z"}));
    // A count that lies about the message only takes the bytes it names.
    EXPECT_EQ(Frame("3 abcdef\n").messages, (Messages{"abc", "def"}));
    // Six digits are no count: the line is the message.
    EXPECT_EQ(Frame("123456 x\n").messages, Messages{"123456 x"});
    EXPECT_EQ(Frame("0 zero\n").messages, Messages{"0 zero"});
    // An LF frame longer than a datagram is cut there, the rest dropped.
    const std::string huge(TcpFramer::kMaxMessage + 10000, 'x');
    f = Frame(huge + "\nnext\n");
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(f.messages[0].size(), TcpFramer::kMaxMessage);
    EXPECT_EQ(f.messages[1], "next");
    EXPECT_EQ(f.cut, 1);
    // The longest message, exactly, both ways.
    const std::string longestY(TcpFramer::kMaxMessage, 'y');
    f = Frame(std::to_string(longestY.size()) + " " + longestY + longestY + "\r\n");
    EXPECT_EQ(f.messages, (Messages{longestY, longestY}));
    EXPECT_EQ(f.cut, 0);
}

// A connection's buffer read full each time, as a sender with a backlog fills
// it: a frame that straddles the buffer's end, at every offset of it and in
// both framings, arrives whole once the rest is read (a connection once
// stopped for good there), and a message the queue refused comes again.
TEST(TcpStreamBuffer, AFrameStraddlingTheBuffersEndArrivesAtEveryOffset) {
    const std::string frameText = "<13>app: straddling " + std::string(180, 's');
    for (const bool counted : {true, false}) {
        const auto frame = [&](const std::string& m) { return counted ? std::to_string(m.size()) + " " + m : m + "\n"; };
        const std::string straddler = frame(frameText);
        for (std::size_t into = 1; into < straddler.size(); ++into) {
            // Filler up to `into` bytes before the buffer's end: the straddler begins there.
            std::string stream;
            std::vector<std::string> expected;
            while (stream.size() + into < TcpFramer::kBufferBytes) {
                const std::size_t left = TcpFramer::kBufferBytes - into - stream.size();
                std::string m = "<13>f" + std::string(std::min<std::size_t>(left, 1000), 'f');
                // Fitted so that the filler ends exactly where the straddler begins.
                while (frame(m).size() > left && m.size() > 1)
                    m.pop_back();
                if (frame(m).size() > left) break;
                stream += frame(m);
                expected.push_back(m);
            }
            if (stream.size() + into != TcpFramer::kBufferBytes) continue; // this offset cannot be built exactly
            stream += straddler + frame("<13>after");
            expected.push_back(frameText);
            expected.push_back("<13>after");

            TcpStreamBuffer buffer;
            std::vector<std::string> got;
            bool refuseNext = true;
            const auto push = [&](std::string_view m, bool) {
                if (m == frameText && refuseNext) return refuseNext = false; // the queue was full once
                got.emplace_back(m);
                return true;
            };
            for (std::size_t fed = 0; fed < stream.size();) {
                char* space = buffer.Space();
                ASSERT_GT(buffer.SpaceBytes(), 0u) << "offset " << into;
                const std::size_t n = std::min(buffer.SpaceBytes(), stream.size() - fed);
                std::memcpy(space, stream.data() + fed, n);
                buffer.Filled(n);
                fed += n;
                while (buffer.Deliver(push).refused) {
                }
            }
            EXPECT_EQ(got, expected) << (counted ? "counted" : "LF") << ", offset " << into;
        }
    }
}

} // namespace
