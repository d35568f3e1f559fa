// Reception as one object: what became of each datagram, counted.
#include "reception/Reception.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

TEST(Reception, CountsWhatBecameOfEveryDatagram) {
    qmtest::TempDir dir;
    qmtest::FakeClock clock;
    Options options;
    options.General.LogDir = (dir / "Log").string();
    options.General.WriteToLog = true;
    options.General.WriteToLogUnknownID = true;
    options.IdList = {qmtest::ListeningId("13", "Router", "255"),
                      {.IdNumber = "14",
                       .Name = "Muted",
                       .Listen = "No",
                       .Token = "",
                       .Color = "1",
                       .UseToken = "No",
                       .Popup = "Yes"}};
    Reception reception(options, clock);
    ASSERT_EQ(reception.Log().PrepareDayFiles(true), LogWriter::Prepared::Ok);
    std::string failure;
    const auto receive = [&](std::string_view d, bool listening = true) {
        reception.Receive(qmtest::Arrived(d, "10.0.0.9", 514, clock, listening));
        const Settled settled = reception.EndRun().front();
        failure = settled.failure;
        return settled.outcome;
    };
    EXPECT_EQ(receive("<13>a: shown!"), HandleOutcome::Admitted);
    EXPECT_EQ(receive("<14>a: muted!"), HandleOutcome::Rejected);
    EXPECT_EQ(receive("<x>a: bad!"), HandleOutcome::Undecodable);
    EXPECT_EQ(receive("<13>a: stopped!", false), HandleOutcome::NotListening);
    clock.time = DateTime{2026, 12, 6, 23, 0, 0};
    std::filesystem::remove(dir / "Log" / "20261206-Router.log"); // gone: one failure
    EXPECT_EQ(receive("<13>a: lost!"), HandleOutcome::LogFailed);
    EXPECT_EQ(failure, "File not found");

    const ReceptionCounts& c = reception.Counts();
    EXPECT_EQ(c.admitted, 1u);
    EXPECT_EQ(c.rejected, 1u);
    EXPECT_EQ(c.logged, 2u);
    EXPECT_EQ(c.decodeFailures, 1u);
    EXPECT_EQ(c.logFailures, 1u);
    EXPECT_EQ(c.droppedWhileStopped, 1u);
    ASSERT_TRUE(c.lastDatagram);
    EXPECT_EQ(*c.lastDatagram, (DateTime{2026, 12, 6, 23, 0, 0}));
    EXPECT_EQ(reception.Rows().RecordCount(), 1);
}

// Who sends that no list knows: the senders no IP entry matched, and the
// priorities no ID entry matched (by number, name or severity fallback).
TEST(Reception, NotesTheSendersAndPrioritiesNoListKnows) {
    qmtest::FakeClock clock;
    Options options;
    options.IdList = {qmtest::ListeningId("13", "Router", "255")};
    options.IpList = {{.Address = "10.0.0.1", .Name = "gw", .Listen = "Yes"}};
    Reception reception(options, clock);
    const auto receive = [&](std::string_view d, std::string_view ip, bool listening = true) {
        reception.Receive(qmtest::Arrived(d, ip, 514, clock, listening));
        reception.EndRun();
    };
    receive("<13>a: listed both!", "10.0.0.1");
    receive("<190>a: unlisted priority!", "10.0.0.1");
    receive("<13>a: listed priority!", "10.0.0.7");
    receive("no priority at all", "10.0.0.7");
    receive("<x>a: unreadable!", "10.0.0.8");
    receive("<190>a: stopped!", "10.0.0.9", false); // never seen
    clock.time = DateTime{2026, 12, 6, 21, 12, 24};
    receive("<190>a: again!", "10.0.0.7");

    std::vector<std::pair<std::string, std::uint64_t>> senders, priorities;
    for (const SeenEntry& e : reception.UnlistedSenders().Entries())
        senders.emplace_back(e.key, e.messages);
    for (const SeenEntry& e : reception.UnlistedPriorities().Entries())
        priorities.emplace_back(e.key, e.messages);
    EXPECT_EQ(senders, (std::vector<std::pair<std::string, std::uint64_t>>{{"10.0.0.7", 3}}));
    EXPECT_EQ(priorities, (std::vector<std::pair<std::string, std::uint64_t>>{{"190", 2}, {"none", 2}}));
    const SeenEntry first = reception.UnlistedPriorities().Entries().front();
    EXPECT_EQ(first.last.second, first.first.second + 5);
}

// At most a thousand of each, the least recently seen dropped first.
TEST(SeenList, KeepsTheThousandMostRecentlySeen) {
    SeenList seen;
    DateTime t;
    for (int i = 0; i < 1500; ++i)
        seen.Note("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256), t);
    seen.Note("10.0.0.0", t);   // gone already: back as new
    seen.Note("10.0.5.219", t); // the newest: seen twice
    const std::vector<SeenEntry> entries = seen.Entries();
    ASSERT_EQ(entries.size(), SeenList::kMaxSeen);
    EXPECT_EQ(entries[0].key, "10.0.5.219");
    EXPECT_EQ(entries[0].messages, 2u);
    EXPECT_EQ(entries[1].key, "10.0.0.0");
    EXPECT_EQ(entries[1].messages, 1u);
    EXPECT_EQ(entries.back().key, "10.0.1.245"); // the 502nd: 501 dropped before it
}

} // namespace
