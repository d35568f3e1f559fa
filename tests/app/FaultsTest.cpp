// Faults met as the operator would meet them: a damaged or locked settings
// file, the session's end while a box is open.
#include "AppFixture.h"
#include "platform/ErrorReport.h"
#include "support/FailingStore.h"
#ifndef _WIN32
#include "support/SqliteLock.h"
#endif
#include "support/Process.h"

#include <QUdpSocket>

#ifndef _WIN32
#include <csignal>
#include <fstream>
#endif

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
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages().empty(); }));
    qmtest::Settle();
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
    qmtest::SqliteLock holder(file, true); // nobody reads past it
    SqliteKeyStore impatient(file, 100);
    window = std::make_unique<TfrmUDP>(MainWindowServices{.store = impatient,
                                                          .clock = clock,
                                                          .dialogs = dialogs,
                                                          .programDir = dir.Path().string(),
                                                          .bindReceiver = false});
    window->show();
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages().empty(); }));
    qmtest::Settle();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains("locked")) << dialogs.Messages()[0].text.toStdString();
    EXPECT_TRUE(window->CurrentOptions().IdList.empty());
    holder.Release();
    window->Shutdown();
    EXPECT_EQ(store.ReadValue(kIdKey, "13")->text, "Router,Yes,,255,No,Yes");
}
#endif

// Settings that cannot be written at the end of the session: nobody is there
// to answer a box, so the reason goes to the error file, the stored settings
// stay as they were, and the exit status says so. The operator's own
// Shutdown still shows the box.
class SaveFaultsTest : public qmtest::AppFixture {};

TEST_F(SaveFaultsTest, AtTheSessionsEndNoBoxButTheErrorFileAndAStatus) {
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    qmtest::FailingStore failing(store);
    for (const bool sessionEnd : {true, false}) {
        dialogs.shown.clear();
        window = std::make_unique<TfrmUDP>(MainWindowServices{.store = failing,
                                                              .clock = clock,
                                                              .dialogs = dialogs,
                                                              .programDir = dir.Path().string(),
                                                              .bindReceiver = false});
        QObject::connect(window.get(), &TfrmUDP::Closed, [this](int status) { exitStatus = status; });
        window->show();
        qmtest::Settle();
        IdFilter()->item(0)->setCheckState(Qt::Unchecked); // a change that is not saved
        failing.failWrites = true;
        if (sessionEnd)
            window->EndSession();
        else
            window->Shutdown();
        failing.failWrites = false;
        const std::string errors = qmtest::ReadFile(dir / "Log" / kErrorReportFile);
        if (sessionEnd) {
            EXPECT_TRUE(dialogs.shown.empty());
            EXPECT_EQ(exitStatus, 1);
            EXPECT_NE(errors.find("2026-12-06 21:12:19 "), std::string::npos) << errors;
            EXPECT_NE(errors.find("database is locked"), std::string::npos) << errors;
        } else {
            ASSERT_FALSE(dialogs.Messages().empty());
            EXPECT_TRUE(dialogs.Messages()[0].text.contains("database is locked"));
            EXPECT_EQ(exitStatus, 0);
        }
        EXPECT_EQ(store.ReadValue(kIdKey, "13")->text, "Router,Yes,,255,No,Yes"); // kept as it was
        window.reset();
    }
}

#ifndef _WIN32
// Whether `pid` has taken SIGTERM over (its caught-signals mask in /proc).
bool CatchesSigterm(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// SIGTERM the moment the program can hear it, long before its window exists:
// it ends cleanly, with nothing loaded and so nothing saved.
TEST(Program, SigtermDuringStartUpEndsCleanlyWithNothingSaved) {
    qmtest::TempDir dir;
    const fs::path file = dir / "config" / "tovrel" / "registry.sqlite";
    SqliteKeyStore(file).WriteDword(kGeneralKey, "Port", 0);
    qmtest::Running program({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    bool caught = false;
    for (int spin = 0; spin < 5000000 && !caught; ++spin)
        caught = CatchesSigterm(program.Pid());
    ASSERT_TRUE(caught);
    kill(program.Pid(), SIGTERM);
    EXPECT_EQ(program.Wait(10000), 0);
    EXPECT_FALSE(SqliteKeyStore(file).ReadValue(kGeneralKey, "CloseToSysTray"));
}

// The program itself: SIGTERM while another process holds the settings file.
TEST(Program, SessionEndWithTheStoreLockedExitsWithAStatusAndAReport) {
    qmtest::TempDir dir;
    const fs::path file = dir / "config" / "tovrel" / "registry.sqlite";
    {
        SqliteKeyStore setup(file);
        setup.WriteDword(kGeneralKey, "Port", 0);
        setup.WriteText(kGeneralKey, "WriteToLog", "1");
        setup.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
        setup.WriteText(kIdKey, "5", "Router,Yes,,255,No,Yes");
    }
    qmtest::Running program({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    ASSERT_TRUE(
        qmtest::PollUntil([&] { return fs::exists(dir / "Log") && !fs::is_empty(dir / "Log"); }, 10000));
    SqliteKeyStore holder(file);
    holder.Begin(); // the write lock, held until the end of the test
    qmtest::EndSession(program.Pid());
    // No box waits for a click: the store's own wait for the lock, then the end.
    EXPECT_EQ(program.Wait(15000), 1);
    const std::string errors = qmtest::ReadFile(dir / "Log" / kErrorReportFile);
    EXPECT_NE(errors.find("locked"), std::string::npos) << errors;
    holder.Rollback();
    SqliteKeyStore after(file);
    EXPECT_FALSE(after.ReadValue(kGeneralKey, "CloseToSysTray")); // nothing half-saved
}
#endif

// The port is taken, so the program starts with the real error box open
// (twice over: AutoListen tries the port again); the boxes open only once
// the program hears the session's end, which still saves and ends it with
// status 0 and leaves no box waiting for a click.
TEST(Program, SessionEndWhileAStartUpBoxIsOpen) {
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
        store->WriteText(kGeneralKey, "AutoListen", "1");
        store->WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    }
    qmtest::Running program({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    // The start-up sequence has run once the day's files exist; the box opens
    // at the event loop's first turn (on Windows: two windows, the box seen).
    ASSERT_TRUE(qmtest::PollUntil(
        [&] { return std::filesystem::exists(dir / "Log") && !std::filesystem::is_empty(dir / "Log"); },
        10000));
    ASSERT_TRUE(qmtest::WaitForWindows(program.Pid(), 2));
    qmtest::EndSession(program.Pid());
    EXPECT_EQ(program.Wait(10000), 0);
    auto store = qmtest::MakeUserStore(dir);
    EXPECT_EQ(store->ReadValue(kGeneralKey, "CloseToSysTray")->text, "1");
    EXPECT_EQ(store->ReadValue(kIdKey, "7")->text, "Debug,No,,1,No,Yes");
}

} // namespace

namespace {

// The log folder replaced by a file while logging: the log failure's box and
// the shutdown's box open one after the other, never together, and the
// shutdown follows its box although the box had to wait.
TEST_F(SaveFaultsTest, BoxesOpenOneAtATimeAndTheShutdownFollowsItsBox) {
    store.WriteText(kGeneralKey, "WriteToLog", "1");
    store.WriteText(kGeneralKey, "WriteToLogUnknownID", "1");
    store.WriteText(kGeneralKey, "AutoListen", "1");
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    Start();
    fs::remove_all(dir / "Log");
    qmtest::WriteFile(dir / "Log", "a file where the folder was");
    int open = 0, mostOpen = 0;
    dialogs.onMessage = [&] {
        // A box's own event loop: whatever waits may run now, but no second box.
        mostOpen = std::max(mostOpen, ++open);
        qmtest::Settle();
        --open;
    };
    for (int i = 0; i < 3; ++i)
        Send("<13>a: lost!");
    ASSERT_TRUE(WaitUntil([&] { return closedSignals == 1; }));
    const auto boxes = dialogs.Messages();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "File not found.");
    EXPECT_EQ(boxes[1].caption, "Quillmere shutdown");
    EXPECT_EQ(mostOpen, 1);
}

} // namespace
