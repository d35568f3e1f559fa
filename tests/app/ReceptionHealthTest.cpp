// Reception's health as the operator sees it: the status bar's rate and
// losses, the statistics window, and adding an unlisted sender to a list.
#include "AppFixture.h"
#include "app/unitStatistics.h"
#include "settings/ui/unitOptions.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using namespace qm;

namespace {

class ReceptionHealthTest : public qmtest::AppFixture {
protected:
    QString Figure(const char* name) { return window->findChild<QLabel*>(name)->text(); }
};

// Every datagram of a known flood is counted where it went; the panel shows
// the rate once a second, even when only bad datagrams arrive.
TEST_F(ReceptionHealthTest, EveryDatagramIsCountedWhereItWent) {
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.WriteText(kIdKey, "14", "Muted,No,,255,No,Yes");
    Start();
    for (int i = 0; i < 300; ++i)
        Send("<13>app: shown!");
    ASSERT_TRUE(WaitUntil([&] { return window->Health().reader.received == 300; }));
    Act("actStartProcess")->trigger();
    for (int i = 0; i < 200; ++i)
        Send(i % 2 ? "<13>app: shown!" : "<14>app: muted!");
    dialogs.onMessage = [] {}; // the one box for the bad ones
    Send("<bad>app: unreadable!");
    for (int i = 0; i < 5; ++i)
        Send(QByteArray()); // empty: skipped, and counted as such
    // Once the queue is drained, every datagram read is counted in one place.
    const auto accounted = [&] {
        const ReceptionHealth h = window->Health();
        const ReceptionCounts& c = h.counts;
        return h.reader.queueDrops + c.empty + c.droppedWhileStopped + c.decodeFailures + c.logFailures +
               c.rejected + c.admitted;
    };
    ASSERT_TRUE(WaitUntil([&] { return window->Health().reader.received == 506 && accounted() == 506; }))
        << "received " << window->Health().reader.received << ", accounted for " << accounted();
    ASSERT_TRUE(WaitUntil([&] { return Find<QLabel>("statusPanel2")->text() != "0 msg/s"; }, 3000));
    EXPECT_TRUE(Find<QLabel>("statusPanel2")->text().endsWith(" msg/s"))
        << Find<QLabel>("statusPanel2")->text().toStdString();
    EXPECT_TRUE(Find<QLabel>("statusPanel0")->isVisible());
    EXPECT_TRUE(Find<QLabel>("statusPanel1")->isVisible());

    Act("actStatistics")->trigger();
    auto* stats = window->findChild<TfrmStatistics*>("frmStatistics");
    ASSERT_TRUE(stats && stats->isVisible());
    EXPECT_FALSE(stats->isModal());
    EXPECT_EQ(stats->windowTitle(), "Reception statistics");
    EXPECT_EQ(Figure("labReceived"), "506");
    EXPECT_EQ(Figure("labEmpty"), "5");
    EXPECT_EQ(Figure("labDroppedStopped"), "300");
    EXPECT_EQ(Figure("labAdmitted"), "100");
    EXPECT_EQ(Figure("labRejected"), "100");
    EXPECT_EQ(Figure("labDecodeFailures"), "1");
    EXPECT_EQ(Figure("labProgramDrops"), "0");
#ifdef _WIN32
    EXPECT_EQ(Figure("labSystemDrops"), "n/a"); // Windows does not say: never a 0
#else
    EXPECT_EQ(Figure("labSystemDrops"), "0");
#endif
    EXPECT_NE(Figure("labLastDatagram"), "none yet");
    EXPECT_TRUE(Figure("labReceiveBuffer").endsWith(" bytes"));
}

// Losses show in red, the program's and the system's together; where the
// system does not say, its drops are not counted as none.
TEST(HealthPanel, ShowsTheLossInRedOnceAnythingWasLost) {
    ReceptionHealth health;
    health.rate = 1234.4;
    EXPECT_EQ(HealthPanelText(health), "1234 msg/s");
    health.reader.queueDrops = 3;
    health.reader.systemDrops = 4;
    EXPECT_EQ(HealthPanelText(health), "1234 msg/s, <span style=\"color:#c00000\">lost 7</span>");
    health.reader.systemDrops.reset();
    EXPECT_EQ(health.Lost(), 3u);
}

// A sender and a priority no list knows are listed; "Add to list..." opens
// the options on that list with a new row holding them, saved only by OK.
TEST_F(ReceptionHealthTest, AnUnlistedSenderAndPriorityCanBeAddedToTheirLists) {
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.WriteText(kGeneralKey, "AutoListen", "1");
    Start();
    Send("<190>app: nobody knows me!");
    Send("<13>app: known priority!");
    ASSERT_TRUE(WaitUntil([&] { return window->Health().reader.received == 2; }));
    ASSERT_TRUE(
        WaitUntil([&] { return window->ReceptionState().Counts().admitted == 2; })); // handled, not only read
    Act("actStatistics")->trigger();
    auto* senders = window->findChild<QTableWidget*>("grdUnlistedSenders");
    auto* priorities = window->findChild<QTableWidget*>("grdUnlistedPriorities");
    ASSERT_EQ(senders->rowCount(), 1);
    EXPECT_EQ(senders->item(0, 0)->text(), "127.0.0.1");
    EXPECT_EQ(senders->item(0, 1)->text(), "2");
    ASSERT_EQ(priorities->rowCount(), 1);
    EXPECT_EQ(priorities->item(0, 0)->text(), "190");

    auto* add = window->findChild<QPushButton*>("btnAddPriority");
    EXPECT_FALSE(add->isEnabled()); // nothing selected yet
    priorities->selectRow(0);
    ASSERT_TRUE(add->isEnabled());
    QString number, page;
    WithModal<TfrmOptions>(
        [&](TfrmOptions* options) {
            page = options->findChild<QTabWidget*>("tabPage")->currentWidget()->objectName();
            auto* grid = options->findChild<QTableView*>("grdIDList");
            number = grid->model()->index(grid->currentIndex().row(), 1).data().toString();
            options->reject(); // Cancel
        },
        [&] { QTest::mouseClick(add, Qt::LeftButton); });
    EXPECT_EQ(page, "tabIDList");
    EXPECT_EQ(number, "190");
    EXPECT_EQ(window->CurrentOptions().IdList.size(), 1u); // closed without OK: nothing taken
    EXPECT_EQ(priorities->rowCount(), 1);                  // and still unlisted

    // The sender, taken over by OK: named by its address until the operator
    // names it, and gone from the unlisted ones.
    senders->selectRow(0);
    auto* addSender = window->findChild<QPushButton*>("btnAddSender");
    ASSERT_TRUE(addSender->isEnabled());
    QString name;
    bool nameFocused = false, active = false;
    window->findChild<TfrmStatistics*>()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->findChild<TfrmStatistics*>()));
    WithModal<TfrmOptions>(
        [&](TfrmOptions* options) {
            // Opened active over the statistics: the operator's first key is the dialog's.
            active = QTest::qWaitForWindowActive(options);
            auto* edit = options->findChild<QLineEdit*>("edtIPName");
            name = edit->text();
            // The focus the dialog gives the name (a window the desktop has
            // not activated yet holds it for when it is).
            nameFocused = options->focusWidget() == edit && edit->selectedText() == name;
            // The tests' store holds port 0 (any free port), which OK refuses: a free one.
            QUdpSocket free;
            free.bind(QHostAddress::LocalHost, 0);
            const quint16 port = free.localPort();
            free.close();
            options->findChild<QLineEdit*>("edtPort")->setText(QString::number(port));
            QTest::mouseClick(options->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
        },
        [&] { QTest::mouseClick(addSender, Qt::LeftButton); });
    EXPECT_EQ(name, "127.0.0.1");
    EXPECT_TRUE(nameFocused);
    EXPECT_TRUE(active);
    for (const auto& box : dialogs.Messages())
        ADD_FAILURE() << "box: " << box.text.toStdString();
    ASSERT_EQ(window->CurrentOptions().IpList.size(), 1u);
    EXPECT_EQ(window->CurrentOptions().IpList[0].Name, "127.0.0.1");
    EXPECT_EQ(senders->rowCount(), 0);
    EXPECT_FALSE(addSender->isEnabled());
}

} // namespace
