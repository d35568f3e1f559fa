// Faults met as the operator would meet them: a damaged or locked settings
// file, the session's end while a box is open.
#include "AppFixture.h"
#include "support/Process.h"

#include <QUdpSocket>

using namespace qm;
namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
// A file can be damaged or locked by another process; the registry cannot.
class StoreFaultsTest : public qmtest::AppFixture {
protected:
    fs::path file = dir / "config" / "tovrel" / "registry.sqlite";
};

TEST_F(StoreFaultsTest, DamagedSettingsFileIsKeptAsideAndSaidOnce) {
    store.WriteText(kGeneralKey, "Port", "0"); // opens the store once, then damage it
    qmtest::WriteFile(file, "SQLite format 3" + std::string(8192, '\x5a'));
    TfrmUDP& w = Start(false);
    Pump(50);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains("kept as")) << dialogs.Messages()[0].text.toStdString();
    EXPECT_EQ(w.CurrentOptions().General.Port, 514); // the defaults
    int aside = 0;
    for (const auto& e : fs::directory_iterator(file.parent_path()))
        aside += e.path().filename().string().find(".corrupt-") != std::string::npos;
    EXPECT_EQ(aside, 1);
}

TEST_F(StoreFaultsTest, LockedSettingsAreNotOverwrittenWithDefaults) {
    store.WriteText(kGeneralKey, "Port", "0");
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    SqliteKeyStore holder(file);
    holder.Begin();
    SqliteKeyStore impatient(file, 100);
    window = std::make_unique<TfrmUDP>(
        MainWindowServices{impatient, clock, dialogs, dir.Path().string(), false, ""});
    window->show();
    Pump(50);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains("locked")) << dialogs.Messages()[0].text.toStdString();
    EXPECT_TRUE(window->CurrentOptions().IdList.empty());
    holder.Rollback();
    window->Shutdown();
    EXPECT_EQ(store.ReadValue(kIdKey, "13")->text, "Router,Yes,,255,No,Yes");
}
#endif

// The port is taken, so the program starts with the real error box open;
// the session's end still saves and ends it with status 0.
TEST(Program, SessionEndWhileABoxIsOpen) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the program would use the operator's own settings";
    qmtest::TempDir dir;
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::AnyIPv4, 0));
    {
        auto store = qmtest::MakeUserStore(dir);
        store->DeleteTree(kSettingsKey);
        store->WriteDword(kGeneralKey, "Port", taken.localPort());
        store->WriteText(kIdKey, "7", "Debug,No,,1,No,Yes");
        store->WriteText(kGeneralKey, "WriteToLog", "1");
        store->WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    }
    const int pid = qmtest::StartProcess({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    // The start-up sequence has run once the day's files exist; the box opens
    // at the event loop's first turn (on Windows: two windows, the box seen).
    ASSERT_TRUE(qmtest::PollUntil(
        [&] { return std::filesystem::exists(dir / "Log") && !std::filesystem::is_empty(dir / "Log"); }, 10000));
    ASSERT_TRUE(qmtest::WaitForWindows(pid, 2));
    qmtest::EndSession(pid);
    EXPECT_EQ(qmtest::WaitProcess(pid, 10000), 0);
    auto store = qmtest::MakeUserStore(dir);
    EXPECT_EQ(store->ReadValue(kGeneralKey, "CloseToSysTray")->text, "1");
    EXPECT_EQ(store->ReadValue(kIdKey, "7")->text, "Debug,No,,1,No,Yes");
}

} // namespace
