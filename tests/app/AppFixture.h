// A real main window over an isolated store, a fixed clock and scripted dialogs.
#pragma once

#include "app/unitUdp.h"
#include "settings/SettingsStore.h"
#include "support/Fakes.h"
#include "support/Process.h"
#include "support/ScriptedDialogs.h"
#include "support/StoreFactory.h"
#include "support/TempDir.h"

#include "support/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <functional>

namespace qmtest {

// The store a program started by a test reads as the user's own: on Linux
// the SQLite file under `dir`/config (XDG_CONFIG_HOME, see ProgramEnv); on
// Windows the user's registry key, which only a Wine prefix of the tests'
// own may hold (UserStoreIsTheTests()).
inline std::unique_ptr<qm::KeyStore> MakeUserStore(const TempDir& dir) {
#ifdef _WIN32
    (void)dir;
    return UnderWine() ? qm::OpenUserKeyStore() : std::unique_ptr<qm::KeyStore>(new SandboxRegistryStore);
#else
    return std::make_unique<qm::SqliteKeyStore>(dir / "config" / "tovrel" / "registry.sqlite");
#endif
}

// Whether a program started by a test (the registry editor, Ferrowick
// itself) finds the test's settings: on Windows only in a Wine prefix of
// the tests' own, since it writes the operator's registry key.
inline bool UserStoreIsTheTests() {
#ifdef _WIN32
    return UnderWine();
#else
    return true;
#endif
}

// The environment a started program needs to find that store and to run
// without a display on Linux.
inline std::map<std::string, std::string> ProgramEnv(const TempDir& dir) {
#ifdef _WIN32
    (void)dir;
    return {};
#else
    return {{"XDG_CONFIG_HOME", (dir / "config").string()}, {"QT_QPA_PLATFORM", "offscreen"}};
#endif
}

class AppFixture : public ::testing::Test {
protected:
    TempDir dir;
    // Where the registry editor finds it too (see MakeUserStore).
    std::unique_ptr<qm::KeyStore> owned = MakeUserStore(dir);
    qm::KeyStore& store = *owned;
    FakeClock clock;
    ScriptedDialogs dialogs;
    std::unique_ptr<qm::TfrmUDP> window;
    int closedSignals = 0;
    int exitStatus = -1;
    std::string registryEditor = BinPath("ferrowick-reg");

    // Settings written before the window starts; the receiver takes a free port.
    void SetUp() override {
        for (const auto& [name, value] : ProgramEnv(dir))
            if (name != "QT_QPA_PLATFORM") SetEnv(name, value);
        store.DeleteTree(qm::kSettingsKey); // the registry outlives a test
        store.WriteDword(qm::kGeneralKey, "Port", 0);
    }
    void TearDown() override {
        window.reset();
        try {
            store.DeleteTree(qm::kSettingsKey); // the registry outlives the test
        } catch (const qm::KeyStoreError&) {
        }
    }

    int logProgressAfterMs = 1000;

    // `waitExposed` is off for a start that shuts itself down at once.
    qm::TfrmUDP& Start(bool bind = true, bool waitExposed = true) {
        window.reset();
        window =
            std::make_unique<qm::TfrmUDP>(qm::MainWindowServices{.store = store,
                                                                 .clock = clock,
                                                                 .dialogs = dialogs,
                                                                 .programDir = dir.Path().string(),
                                                                 .bindReceiver = bind,
                                                                 .registryEditor = registryEditor,
                                                                 .logProgressAfterMs = logProgressAfterMs});
        QObject::connect(window.get(), &qm::TfrmUDP::Closed, [this](int status) {
            ++closedSignals;
            exitStatus = status;
        });
        window->show();
        window->activateWindow();
        if (waitExposed) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        }
        qmtest::Settle(); // the start-up's boxes, which open at the first turn of the loop
        return *window;
    }

    template <typename Pred> static bool WaitUntil(Pred pred, int ms = 5000) {
        return qmtest::WaitUntil(pred, ms);
    }

    // One datagram to the window's port over 127.0.0.1, as a sender sends it.
    void Send(const QByteArray& datagram) {
        QUdpSocket s;
        s.writeDatagram(datagram, QHostAddress::LocalHost, static_cast<quint16>(window->ListeningPort()));
    }

    // Open Log-file, as Ctrl+O runs it, until the file is read (it is read
    // off the window's thread).
    void OpenLog() {
        PressOpenLog();
        EXPECT_TRUE(WaitUntil([&] { return !window->LoadingLog(); })) << "the log file never finished loading";
        qmtest::Settle(); // a refusal's box opens at a later turn of the loop
    }
    // Ctrl+O as the operator presses it. A shortcut reaches only the active
    // window, and under Wine a window becomes active some time after it asks.
    void PressOpenLog() {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get())) << "the main window never became active";
        const std::size_t files = dialogs.files.size(), boxes = dialogs.shown.size();
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        EXPECT_TRUE(dialogs.files.size() < files || dialogs.shown.size() > boxes)
            << "Ctrl+O asked nothing: no file, no question";
    }

    // Runs `inside` once the modal window of type T is up, then closes it.
    // However slow the window is to come (Wine), the wait has a deadline:
    // then whatever modal window is up is closed and the test fails instead
    // of hanging.
    template <typename T> T* WithModal(std::function<void(T*)> inside, std::function<void()> open) {
        T* seen = nullptr;
        QElapsedTimer waited;
        waited.start();
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            seen = qobject_cast<T*>(modal);
            if (!seen && waited.elapsed() < 10000) return;
            poll.stop();
            if (seen) inside(seen);
            // Closed as Esc would; one that refuses (an options dialog after a
            // refused OK) is ended all the same.
            if (auto* still = qobject_cast<QDialog*>(QApplication::activeModalWidget())) still->reject();
            if (auto* still = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                still->done(QDialog::Rejected);
            if (QWidget* still = QApplication::activeModalWidget()) still->close();
        });
        poll.start();
        open();
        poll.stop();
        EXPECT_TRUE(seen) << "no modal window of the expected type came within 10 s";
        return seen;
    }

    // The window's widgets and commands, by objectName.
    template <typename T = QWidget> T* Find(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    QAction* Act(const char* name) { return Find<QAction>(name); }
    QTableView* Process() { return Find<QTableView>("grdProcess"); }
    QTableView* Viewer() { return Find<QTableView>("grdViewer"); }
    QListWidget* IdFilter() { return Find<QListWidget>("clbIDFilter"); }
    QListWidget* IpFilter() { return Find<QListWidget>("clbIPFilter"); }
    QString Page(const char* tabs) { return Find<QTabWidget>(tabs)->currentWidget()->objectName(); }
    int Records() { return window->ReceptionState().Rows().RecordCount(); }
    const qm::Options& Opts() { return window->CurrentOptions(); }

    std::string Stored(const char* key, const char* name) {
        auto v = store.ReadValue(key, name);
        return v ? v->text : std::string("<missing>");
    }
};

} // namespace qmtest
