// Reception as one object: what became of each datagram, counted.
#include "support/Fakes.h"
#include "reception/Reception.h"
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
    options.IdList = {{"13", "Router", "Yes", "", "255", "No", "Yes"}, {"14", "Muted", "No", "", "1", "No", "Yes"}};
    Reception reception(options, clock);
    ASSERT_EQ(reception.Log().PrepareDayFiles(true), LogWriter::Prepared::Ok);
    const auto receive = [&](std::string_view d, bool listening = true) {
        return reception.Receive(qmtest::Arrived(d, "10.0.0.9", 514, clock, listening));
    };
    EXPECT_EQ(receive("<13>a: shown!"), HandleOutcome::Admitted);
    EXPECT_EQ(receive("<14>a: muted!"), HandleOutcome::Rejected);
    EXPECT_EQ(receive("<x>a: bad!"), HandleOutcome::Undecodable);
    EXPECT_EQ(receive("<13>a: stopped!", false), HandleOutcome::NotListening);
    clock.time = DateTime{2026, 12, 6, 23, 0, 0};
    std::filesystem::remove(dir / "Log" / "20261206-Router.log"); // gone: one failure
    EXPECT_EQ(receive("<13>a: lost!"), HandleOutcome::LogFailed);
    EXPECT_EQ(reception.Failure(), "File not found");

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

} // namespace
