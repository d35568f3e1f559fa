#include "reception/ReceptionHandler.h"
#include "reception/SyslogDecoder.h"
#include "settings/unitAdd_Ins.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

struct DecodeCase {
    const char* name;
    std::string datagram;
    std::string pri, tag, message, sourceLevel;
    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

// Decoding and SourceLevel with no ID list, as the handler runs them.
TEST_P(DecodeTest, GivesTheFields) {
    const DecodeCase& c = GetParam();
    Options options;
    qmtest::FakeClock clock;
    ReceptionHandler handler(options);
    ASSERT_EQ(handler.Handle(qmtest::Arrived(c.datagram, "10.0.0.9", 1025, clock)), HandleOutcome::Admitted)
        << handler.Failure();
    const SyslogMessage& m = handler.Message();
    EXPECT_EQ(m.PriText, c.pri);
    EXPECT_EQ(m.Tag, c.tag);
    EXPECT_EQ(m.MessageText, c.message);
    EXPECT_EQ(m.SourceLevel, c.sourceLevel);
    EXPECT_EQ(m.IdName, "Unknw");
    EXPECT_EQ(m.SenderText, "10.0.0.9");
    EXPECT_EQ(m.SenderPort, 1025);
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, DecodeTest,
    ::testing::Values(
        // The tag runs to the first colon, which here is inside the time.
        DecodeCase{"Rfc3164", "<13>Dec  6 21:12:19 host app: hello", "13", "Dec  6 21",
                   "12:19 host app: hell", "1 (USER)/5"},
        // The last byte of the datagram is never part of the message.
        DecodeCase{"LastByteDropped", "<13>app: hello", "13", "app", " hell", "1 (USER)/5"},
        DecodeCase{"NoColon", "<13>no colon here", "13", "no colon here", "<13>no colon here", "1 (USER)/5"},
        DecodeCase{"NoPriority", "hello world", "Unreg", "Unexp", "hello world", "Unreg"},
        DecodeCase{"EmptyPriority", "<>x: abc", "Unreg", "x", " ab", "Unreg"},
        DecodeCase{"LineFeedBecomesDotAndIsDropped", "<13>app: hi\n", "13", "app", " hi", "1 (USER)/5"},
        DecodeCase{"InnerLineFeedBecomesDot", "<13>app: a\nb!", "13", "app", " a.b", "1 (USER)/5"},
        DecodeCase{"BlankMessageGivesWholeText", "<13>app:   x", "13", "app", "<13>app:   x", "1 (USER)/5"},
        DecodeCase{"ColonAmongLastTwoBytes", "<13>app:x", "13", "app", "<13>app:x", "1 (USER)/5"},
        DecodeCase{"BlankTagStaysUnexp", "<13> : hello", "13", "Unexp", " hell", "1 (USER)/5"},
        DecodeCase{"Highest", "<191>a: xy", "191", "a", " x", "23 (LOCAL7)/7"},
        DecodeCase{"Zero", "<0>a: xy", "0", "a", " x", "0 (KERN)/0"},
        DecodeCase{"BeyondTheFacilityTable", "<200>a: xy", "200", "a", " x", "25/0"},
        DecodeCase{"Negative", "<-1>a: xy", "-1", "a", " x", "-1/7"},
        DecodeCase{"PriorityKeptUntrimmedWithSign", "<+13>a: xy", "+13", "a", " x", "1 (USER)/5"},
        DecodeCase{"NulBytesAreText", std::string("<13>a: x\0yz", 11), "13", "a", std::string(" x\0y", 4),
                   "1 (USER)/5"},
        DecodeCase{"EightBitBytes", "<13>a: \xD0\xB6\xB6!", "13", "a", " \xD0\xB6\xB6", "1 (USER)/5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Decode, MessageOfAnyLengthIsKeptWhole) {
    std::string datagram = "<13>app: " + std::string(65507 - 9, 'x');
    datagram.back() = '!';
    SyslogMessage m;
    std::string work;
    DecodeDatagram(datagram, {}, m, work);
    EXPECT_EQ(m.MessageText.size(), 65507u - 9); // from the blank after the colon to the byte before the last
    EXPECT_EQ(m.MessageText.back(), 'x');
}

// A TCP message reaches the decoder without its terminator: its last byte is
// its own, and the rest is decoded as a datagram is.
TEST(Decode, AFramedMessageKeepsItsLastCharacter) {
    SyslogMessage m;
    std::string work;
    for (const auto& [message, expected] : std::vector<std::pair<std::string, std::string>>{
             {"<13>app: hello over TCP", " hello over TCP"},
             {"<13>app:x", "x"},
             {"<13>app:", "<13>app:"}}) {
        DecodeDatagram(message, {}, m, work, true);
        EXPECT_EQ(m.MessageText, expected) << message;
        EXPECT_EQ(m.Tag, "app") << message;
    }
}

TEST(Decode, ZeroBytesLeaveTheInitialValues) {
    SyslogMessage m;
    std::string work;
    DecodeDatagram({}, {}, m, work);
    EXPECT_EQ(m.PriText, "Unreg");
    EXPECT_EQ(m.Tag, "Unexp");
    EXPECT_EQ(m.IdName, "Unknw");
    EXPECT_EQ(m.MessageText, "");
}

TEST(Decode, PriorityComparedAsReceived) {
    const std::vector<IdEntry> ids = {{"13", "Router", "Yes", "", "255", "No", "Yes"}};
    SyslogMessage m;
    std::string work;
    for (const auto& [datagram, expected] :
         std::vector<std::pair<std::string, std::string>>{{"<13>a: xy", "Router"},
                                                          {"<013>a: xy", "Unknw"},
                                                          {"< 13>a: xy", "Unknw"},
                                                          {"13: xy", "Unknw"}}) {
        DecodeDatagram(datagram, ids, m, work);
        EXPECT_EQ(m.IdName, expected) << datagram;
    }
}

TEST(Decode, HandlerRefusesPrioritiesThatAreNotIntegers) {
    Options options;
    qmtest::FakeClock clock;
    ReceptionHandler handler(options);
    for (const std::string datagram :
         {"<abc>a: xy", "<13 no close", "<0x10>a: xy", "<99999999999>a: b", "< 13>a: xy"}) {
        EXPECT_EQ(handler.Handle(qmtest::Arrived(datagram, "1.2.3.4", 5, clock)), HandleOutcome::Undecodable)
            << datagram;
        EXPECT_EQ(handler.Failure(), "'" + handler.Message().PriText + "' is not a valid integer value");
    }
    // An ID numbered like the odd text makes it a registered priority.
    options.IdList = {qmtest::ListeningId("abc", "Odd", "1")};
    EXPECT_EQ(handler.Handle(qmtest::Arrived("<abc>a: xy", "1.2.3.4", 5, clock)), HandleOutcome::Admitted);
    EXPECT_EQ(handler.Message().SourceLevel, "abc");
}

TEST(Decode, ParseInt32AcceptsSignAndDigitsOnly) {
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseInt32("+7"), 7);
    for (const char* bad :
         {"", "-", "2147483648", "-2147483649", " 1", "1 ", "0x1", "1e3", "99999999999999999999"})
        EXPECT_FALSE(ParseInt32(bad)) << bad;
}

TEST(Decode, StampUsesTheChosenDateWithTheRealTime) {
    Options options;
    qmtest::FakeClock clock;
    clock.time = {2026, 12, 6, 14, 3, 7};
    SyslogMessage m;
    StampMessage(options, clock.time, m);
    EXPECT_EQ(m.Stamp, "06.12.26 14:03:07");
    EXPECT_EQ(m.LogDay, "20261206");
    options.UseUserDate = true;
    options.UserDate = {2025, 1, 1, 9, 9, 9};
    StampMessage(options, clock.time, m);
    EXPECT_EQ(m.Stamp, "01.01.25 14:03:07");
    EXPECT_EQ(m.LogDay, "20250101");
}

// Any bytes at all: no crash, and every decoded field is a piece of the datagram.
TEST(Decode, HostileBytesStayInsideTheDatagram) {
    Options options;
    options.IdList = {{.IdNumber = "5",
                       .Name = "Five",
                       .Listen = "Yes",
                       .Token = "x",
                       .Color = "255",
                       .UseToken = "Yes",
                       .Popup = "Yes"}};
    qmtest::FakeClock clock;
    ReceptionHandler handler(options);
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    unsigned seed = 1;
    for (int round = 0; round < 3000; ++round) {
        std::string d;
        const std::size_t len = round % 97;
        for (std::size_t i = 0; i < len; ++i) {
            seed = seed * 1103515245 + 12345;
            d.push_back(i == 0 && round % 3 ? '<' : all[(seed >> 16) & 0xFF]);
        }
        const HandleOutcome outcome = handler.Handle(qmtest::Arrived(d, "127.0.0.1", 9, clock));
        std::string dotted = d;
        for (char& c : dotted)
            if (c == '\n') c = '.';
        const SyslogMessage& m = handler.Message();
        EXPECT_NE(dotted.find(m.MessageText), std::string::npos);
        if (m.Tag != "Unexp") {
            EXPECT_NE(dotted.find(m.Tag), std::string::npos);
        }
        if (outcome == HandleOutcome::Undecodable) {
            EXPECT_FALSE(handler.Failure().empty());
        }
    }
}

} // namespace
