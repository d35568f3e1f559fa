// A real main window over an isolated store, a fixed clock and scripted dialogs.
#pragma once

#include "Fakes.h"
#include "Process.h"
#include "ScriptedDialogs.h"
#include "SettingsStore.h"
#include "SqliteKeyStore.h"
#include "TempDir.h"
#include "unitUdp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace qmtest {

class AppFixture : public ::testing::Test {
protected:
    TempDir dir;
    // Where ferrowick-reg finds it too: XDG_CONFIG_HOME points into `dir`.
    qm::SqliteKeyStore store{dir / "config" / "tovrel" / "registry.sqlite"};
    FakeClock clock;
    ScriptedDialogs dialogs;
    std::unique_ptr<qm::TfrmUDP> window;
    int closedSignals = 0;
    std::string registryEditor = BinPath("ferrowick-reg");

    // Settings written before the window starts; the receiver takes a free port.
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        store.writeDword(qm::kGeneralKey, "Port", 0);
    }

    // `waitExposed` is off for a start that shuts itself down at once.
    qm::TfrmUDP& Start(bool bind = true, bool waitExposed = true) {
        window.reset();
        window = std::make_unique<qm::TfrmUDP>(
            qm::MainWindowServices{store, clock, dialogs, dir.path().string(), bind, registryEditor});
        QObject::connect(window.get(), &qm::TfrmUDP::Closed, [this] { ++closedSignals; });
        window->show();
        window->activateWindow();
        if (waitExposed) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        }
        Pump();
        return *window;
    }

    // Runs the event loop a little, so deferred boxes and flushes happen.
    static void Pump(int ms = 30) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    template <typename Pred> static bool WaitUntil(Pred pred, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!pred()) {
            if (t.elapsed() > ms) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }

    template <typename T> T* Find(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    std::string StoredText(const char* key, const char* name) {
        auto v = store.readValue(key, name);
        return v ? v->text : std::string("<missing>");
    }
};

} // namespace qmtest
