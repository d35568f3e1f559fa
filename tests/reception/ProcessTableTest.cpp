#include "reception/ProcessTable.h"
#include "reception/Reception.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

SyslogMessage Msg(int n) {
    SyslogMessage m;
    m.Stamp = "06.12.26 21:12:" + std::to_string(10 + n);
    m.MessageText = "message " + std::to_string(n);
    m.SenderPort = 1000 + n;
    return m;
}

std::vector<std::string> Texts(const ProcessTable& t) {
    std::vector<std::string> out;
    for (int i = 0; i < t.RecordCount(); ++i)
        out.push_back(t.Message(i).cells[ColMessage]);
    return out;
}

TEST(ProcessTable, StartsWithHeaderAndEmptyRowAndGrowsByOne) {
    ProcessTable t;
    EXPECT_EQ(t.RowCount(), 2);
    for (int i = 1; i <= 3; ++i)
        t.AddRow(Msg(i));
    EXPECT_EQ(t.RowCount(), 5);
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(t.Message(2).cells[ColMessage], "message 3");
    EXPECT_EQ(t.Message(2).cells[ColPort], "1003");
    EXPECT_EQ(t.Message(0).cells[ColName], "Unknw");
}

TEST(ProcessTable, LimitKeepsARollingWindowOfTheNewest) {
    struct Case {
        int limit, messages;
        std::vector<std::string> kept;
    };
    const std::vector<Case> cases = {
        {5, 4, {"message 2", "message 3", "message 4"}},
        {1, 4, {"message 4"}}, // 1 and 2 act as 3: one message
        {2, 4, {"message 4"}},
        {0, 4, {"message 1", "message 2", "message 3", "message 4"}},
    };
    for (const Case& c : cases) {
        ProcessTable t;
        for (int i = 1; i <= c.messages; ++i) {
            t.AddRow(Msg(i));
            t.TrimProcessTable(c.limit);
        }
        EXPECT_EQ(Texts(t), c.kept) << "limit " << c.limit;
    }
}

TEST(ProcessTable, DefaultLimitNeverShowsMoreThan998AndKeepsOrderAcrossWraps) {
    ProcessTable t;
    for (int i = 1; i <= 5000; ++i) {
        t.AddRow(Msg(i));
        t.TrimProcessTable(1000);
        ASSERT_LE(t.RecordCount(), 998);
    }
    EXPECT_EQ(t.Message(0).cells[ColMessage], "message 4003");
    EXPECT_EQ(t.Message(997).cells[ColMessage], "message 5000");
    EXPECT_EQ(t.Added() - t.Removed(), 998u);
}

TEST(ProcessTable, LoweredLimitCutsFromTheTop) {
    ProcessTable t;
    for (int i = 1; i <= 10; ++i)
        t.AddRow(Msg(i));
    t.TrimProcessTable(5);
    EXPECT_EQ(Texts(t), (std::vector<std::string>{"message 8", "message 9", "message 10"}));
    t.Clear();
    EXPECT_EQ(t.RowCount(), 2);
    t.AddRow(Msg(11));
    EXPECT_EQ(Texts(t), std::vector<std::string>{"message 11"});
    EXPECT_EQ(t.Removed(), 10u);
}

TEST(ProcessTable, ColourCells) {
    for (const auto& [text, colour] : std::vector<std::pair<std::string, int>>{
             {"", -1}, {"0", -1}, {"255", 255}, {"16777215", 0xFFFFFF}, {"red", -1}, {" 255", -1}}) {
        EXPECT_EQ(CellColour(text), colour) << text;
    }
}

TEST(ProcessTable, ReceptionAddsAdmittedAndTrimsAfterEveryMessage) {
    Options options;
    qmtest::FakeClock clock;
    Reception reception(options, clock);
    for (int i = 0; i < 5; ++i)
        reception.Receive(qmtest::Arrived("<13>a: hello", "1.2.3.4", 9, clock));
    EXPECT_EQ(reception.Rows().RecordCount(), 0); // shown at the run's end
    reception.EndRun();
    EXPECT_EQ(reception.Rows().RecordCount(), 5);
    options.General.ListenUnregisteredID = false;
    options.General.LimitRows = 4;
    reception.Receive(qmtest::Arrived("<13>a: hello", "1.2.3.4", 9, clock));
    EXPECT_EQ(reception.EndRun().front().outcome, HandleOutcome::Rejected);
    EXPECT_EQ(reception.Rows().RecordCount(), 2); // the lowered limit applied on a rejected message
}

} // namespace
