// The session's end in the middle of a flood: every row the operator saw
// has its line in its file, since a run's rows are shown only after its
// lines are written and a run is never left half-done across an event.
#include "AppFixture.h"
#include "reception/LogFiles.h"

#include <atomic>
#include <thread>

using namespace qm;

namespace {

class FloodTest : public qmtest::AppFixture {};

TEST_F(FloodTest, EveryRowShownAtTheSessionsEndHasItsLine) {
    store.WriteText(kGeneralKey, "WriteToLog", "1");
    store.WriteText(kGeneralKey, "WriteToLogUnknownID", "1");
    store.WriteText(kGeneralKey, "AutoListen", "1");
    store.WriteText(kGeneralKey, "LimitRows", "0"); // every row stays
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    TfrmUDP& w = Start();
    const auto port = static_cast<quint16>(w.ListeningPort());
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        QUdpSocket s;
        for (int i = 0; !stop; ++i) {
            s.writeDatagram(QByteArray("<13>a: flood ") + QByteArray::number(i) + " end!", QHostAddress::LocalHost,
                            port);
            if (i % 64 == 63) std::this_thread::yield();
        }
    });
    // The end comes while datagrams are still arriving and being handled.
    ASSERT_TRUE(WaitUntil([&] { return w.ReceptionState().Counts().logged > 2000; }, 20000));
    w.EndSession();
    stop = true;
    sender.join();
    ASSERT_EQ(closedSignals, 1);

    std::string today;
    FormatLogDay(clock.Now(), today);
    const std::string file = qmtest::ReadFile(dir / "Log" / (today + "-Unknw.log"));
    const ProcessTable& rows = w.ReceptionState().Rows();
    ASSERT_GT(rows.RecordCount(), 0);
    std::size_t from = 0;
    for (int i = 0; i < rows.RecordCount(); ++i) {
        const std::string& text = rows.Message(i).cells[ColMessage];
        // In the file, and in the same order as the rows.
        from = file.find("\xB6" + text + "\xB6", from);
        ASSERT_NE(from, std::string::npos) << "row " << i << ":" << text;
    }
}

} // namespace
