#include "AppFixture.h"
#include "reception/LogFiles.h"
#include "support/Process.h"
#include "settings/ui/unitOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUdpSocket>
#include <QWidgetAction>


using namespace qm;
using qmtest::AppFixture;

namespace {

class MainWindowTest : public AppFixture {
protected:
    void Send(const QByteArray& datagram) {
        QUdpSocket s;
        s.writeDatagram(datagram, QHostAddress::LocalHost, static_cast<quint16>(window->oUdp->BoundPort()));
    }
    void ClickTab(QTabWidget* tabs, int index) {
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    QString Panel1() { return Find<QLabel>("statusPanel1")->text(); }
};

TEST_F(MainWindowTest, FirstStartShowsDefaults) {
    store.deleteValue(kGeneralKey, "Port");
    TfrmUDP& w = Start(false);
    EXPECT_EQ(w.windowTitle(), "06:12:2026 - Quillmere Light [Udp/514 Listener] - Stopped");
    EXPECT_EQ(Find<QLabel>("statusPanel0")->text(), "ID [0]  :  IP [0]");
    EXPECT_EQ(Panel1(), "Total record in current table: 0");
    EXPECT_EQ(w.clbIDFilter->count(), 0);
    EXPECT_EQ(w.tabFilterPage->currentWidget()->objectName(), "tabIDFilter");
    EXPECT_EQ(w.tabMessPage->currentWidget()->objectName(), "tabProcess");
    EXPECT_TRUE(w.barTool->isVisible() && w.statusBar()->isVisible() && w.tabFilterPage->isVisible());
    EXPECT_FALSE(w.actStartProcess->isChecked());
    EXPECT_EQ(w.grdProcess->model()->rowCount(), 1);
    EXPECT_EQ(w.grdProcess->model()->headerData(0, Qt::Horizontal).toString(), "Date");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainWindowTest, CommandsCarryTheirCaptionsKeysAndHints) {
    TfrmUDP& w = Start(false);
    struct Row {
        const char* name;
        const char* caption;
        const char* key;
        const char* hint;
    };
    const std::vector<Row> rows = {
        {"actStartProcess", "Sta&rt process", "F5", "Start"},
        {"actOpenLog", "&Open Log-file", "Ctrl+O", "Open log"},
        {"actMessageViewer", "&Message Properties", "F12", "Message Properties"},
        {"actExit", "Shutdo&wn Quillmere", "F10", "Exit"},
        {"actEditIDList", "Edit &ID FilterList", "F2", "Edit ID"},
        {"actEditIPList", "Edit &IP FilterList", "F3", "Edit IP"},
        {"actEditTokenList", "Edit &Token FilterList", "F4", ""},
        {"actEditClearProcessGrid", "&Clear current listing", "Ctrl+E", "Clear current listing"},
        {"actOptions", "&Options", "F9", "Options"},
        {"actExportOptions", "&Export options to Quillmere opt file...", "Ctrl+E", "Export Options"},
        {"actImportOptions", "&Import options from Quillmere opt file to Registry...", "Ctrl+I",
         "Import Options"},
        {"actClearRegistry", "Delete options from &Registry ", "Ctrl+D", "\xD0\xA1lear Registry"},
        {"actAbout", "&About", "F1", "About"},
        {"actHelp", "&Describe", "", ""},
    };
    for (const Row& r : rows) {
        auto* a = w.findChild<QAction*>(r.name);
        ASSERT_TRUE(a) << r.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(r.caption)) << r.name;
        EXPECT_EQ(a->shortcut().toString(), r.key) << r.name;
        EXPECT_EQ(a->statusTip(), QString::fromUtf8(r.hint)) << r.name;
    }
    QStringList menus;
    for (QAction* m : w.menuBar()->actions())
        menus << m->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Service", "&Help"}));
    QStringList file;
    for (QAction* a : w.menuBar()->actions()[0]->menu()->actions())
        file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, (QStringList{"Sta&rt process", "-", "&Open Log-file", "-", "&Message Properties", "-",
                                 "Shutdo&wn Quillmere"}));
    // The tool bar, in order; separators as "-".
    QStringList bar;
    for (QAction* a : w.barTool->actions()) {
        if (a->isSeparator())
            bar << "-";
        else if (qobject_cast<QWidgetAction*>(a))
            bar << "popups";
        else
            bar << a->objectName();
    }
    EXPECT_EQ(
        bar.join(' '),
        "actStartProcess actOpenLog actMessageViewer - popups actViewFilterExplorer actViewToolBar "
        "actViewStatus - actOptions actEditIDList actEditIPList actEditTokenList actEditClearProcessGrid - "
        "actExportOptions actImportOptions actClearRegistry - actAbout actHelp - actExit");
}

TEST_F(MainWindowTest, AutoListenStartsAndStartProcessToggles) {
    store.writeText(kGeneralKey, "AutoListen", "1");
    TfrmUDP& w = Start(false);
    EXPECT_TRUE(w.windowTitle().endsWith("Listener] - Started"));
    EXPECT_TRUE(w.actStartProcess->isChecked());
    EXPECT_TRUE(w.Listening);
    w.tabMessPage->setCurrentIndex(1);
    QTest::keyClick(w.grdViewer, Qt::Key_F5);
    EXPECT_TRUE(w.windowTitle().endsWith("Listener] - Stopped"));
    EXPECT_EQ(w.tabMessPage->currentIndex(), 0);
    QTest::keyClick(w.grdProcess, Qt::Key_F5);
    EXPECT_TRUE(w.windowTitle().endsWith("Listener] - Started"));
}

TEST_F(MainWindowTest, CloseHidesUntilShutdownWhichSaves) {
    TfrmUDP& w = Start(false);
    w.close();
    Pump();
    EXPECT_EQ(closedSignals, 0);
    EXPECT_FALSE(w.isVisible() && !w.isMinimized()); // hidden, or minimised without a tray
    EXPECT_EQ(Stored(kGeneralKey, "CloseToSysTray"), "<missing>");
    auto* shutdown = w.popSys->findChild<QAction*>("popSysShutdown");
    ASSERT_TRUE(shutdown);
    shutdown->trigger();
    EXPECT_EQ(closedSignals, 1);
    EXPECT_EQ(Stored(kGeneralKey, "CloseToSysTray"), "1");
    EXPECT_EQ(Stored(kPlacementKey, "tabMessPage_ActivePage"), "tabProcess");
}

TEST_F(MainWindowTest, CloseToSysTrayOffEndsTheProgramAndStaysOff) {
    store.writeText(kGeneralKey, "CloseToSysTray", "0");
    Start(false).close();
    EXPECT_EQ(closedSignals, 1);
    EXPECT_EQ(Stored(kGeneralKey, "CloseToSysTray"), "0");
    Start(false);
    EXPECT_FALSE(window->options.General.CloseToSysTray);
}

TEST_F(MainWindowTest, FilterExplorerTicksAreLiveListenSwitches) {
    store.writeText(kIdKey, "13", "Router,yes,,255,No,Yes"); // lower case: not ticked
    store.writeText(kIdKey, "14", "Switch,Yes,,255,No,Yes");
    store.writeText(kIpKey, "127.0.0.1", "Local,Yes");
    store.writeText(kGeneralKey, "ListenUnregisteredID", "0");
    TfrmUDP& w = Start();
    EXPECT_EQ(Find<QLabel>("statusPanel0")->text(), "ID [2]  :  IP [1]");
    EXPECT_EQ(w.clbIDFilter->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w.clbIDFilter->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(w.clbIPFilter->item(0)->text(), "Local");
    EXPECT_EQ(w.clbIDFilter->currentRow(), 0);

    w.actStartProcess->trigger();
    Send("<14>a: first!");
    ASSERT_TRUE(WaitUntil([&] { return w.ProcessRows().RecordCount() == 1; }));
    // Untick the IP with the space bar on its selected item.
    w.tabFilterPage->setCurrentIndex(1);
    w.clbIPFilter->setFocus();
    QTest::keyClick(w.clbIPFilter, Qt::Key_Space);
    EXPECT_EQ(w.options.IpList[0].Listen, "No");
    Send("<14>a: second!");
    Pump(200);
    EXPECT_EQ(w.ProcessRows().RecordCount(), 1);
    w.Shutdown();
    Start();
    EXPECT_EQ(window->clbIPFilter->item(0)->checkState(), Qt::Unchecked);
}

TEST_F(MainWindowTest, ClearCurrentListingAsksAboutTheActiveTable) {
    TfrmUDP& w = Start();
    w.actStartProcess->trigger();
    for (int i = 0; i < 3; ++i)
        Send("<13>a: hello!");
    ASSERT_TRUE(WaitUntil([&] { return w.ProcessRows().RecordCount() == 3; }));
    w.FlushProcessTable();

    dialogs.answers = {false};
    QTest::keyClick(w.grdProcess, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Clear listing");
    EXPECT_EQ(dialogs.shown[0].text, "Do you want to clear Process list table?");
    EXPECT_EQ(dialogs.shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(w.ProcessRows().RecordCount(), 3);

    dialogs.answers = {true};
    QTest::keyClick(w.grdProcess, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(w.ProcessRows().RecordCount(), 0);
    EXPECT_EQ(w.grdProcess->model()->rowCount(), 1);
    EXPECT_EQ(w.grdProcess->model()->headerData(2, Qt::Horizontal).toString(), "Message");

    w.tabMessPage->setCurrentIndex(1);
    dialogs.answers = {true};
    QTest::keyClick(w.grdViewer, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown.back().text, "Do you want to clear Log-file Viewer table?");
    for (const auto& s : dialogs.shown)
        EXPECT_NE(s.kind, "save"); // never an export
}

TEST_F(MainWindowTest, RecordCountFollowsTabClicksOnly) {
    TfrmUDP& w = Start();
    LogFileContent file;
    file.Parse(std::string(25, '\n'));
    w.ViewerRows().SetContent(std::move(file));
    w.actStartProcess->trigger();
    for (int i = 0; i < 3; ++i)
        Send("<13>a: hello!");
    ASSERT_TRUE(WaitUntil([&] { return w.ProcessRows().RecordCount() == 3; }));
    EXPECT_EQ(Panel1(), "Total record in current table: 0");
    ClickTab(w.tabMessPage, 1);
    EXPECT_EQ(Panel1(), "Total record in current table: 25");
    ClickTab(w.tabMessPage, 0);
    EXPECT_EQ(Panel1(), "Total record in current table: 3");
    w.mnuShowViewerTable->trigger(); // a menu choice changes the page, not the count
    EXPECT_EQ(w.tabMessPage->currentIndex(), 1);
    EXPECT_EQ(Panel1(), "Total record in current table: 3");
}

TEST_F(MainWindowTest, PagePairsAndViewToggles) {
    TfrmUDP& w = Start(false);
    EXPECT_TRUE(w.mnuShowProcessTable->isChecked());
    w.mnuShowViewerTable->trigger();
    EXPECT_EQ(w.tabMessPage->currentWidget()->objectName(), "tabViewer");
    EXPECT_TRUE(w.mnuShowViewerTable->isChecked());
    EXPECT_FALSE(w.mnuShowProcessTable->isChecked());
    w.mnuShowIPFilter->trigger();
    EXPECT_EQ(w.tabFilterPage->currentWidget()->objectName(), "tabIPFilter");
    w.actViewToolBar->trigger();
    EXPECT_FALSE(w.barTool->isVisible());
    EXPECT_FALSE(w.actViewToolBar->isChecked());
    w.actViewStatus->trigger();
    EXPECT_FALSE(w.statusBar()->isVisible());
}

TEST_F(MainWindowTest, PlacementStoreRoundTrip) {
    TfrmUDP& w = Start(false);
    w.setGeometry(40, 50, 600, 400);
    w.tabMessPage->setCurrentIndex(1);
    w.tabFilterPage->setCurrentIndex(1);
    w.actViewStatus->trigger();
    w.Shutdown();
    EXPECT_EQ(Stored(kPlacementKey, "NormPos"), "40,50,640,450");
    EXPECT_EQ(Stored(kPlacementKey, "FormVersion"), "0");
    EXPECT_EQ(Stored(kPlacementKey, "barStatus_Visible"), "False");
    EXPECT_EQ(Stored(kPlacementKey, "actViewStatus_Checked"), "False");
    EXPECT_EQ(Stored(kPlacementKey, "tabMessPage_ActivePage"), "tabViewer");
    EXPECT_EQ(Stored(kPlacementKey, "Visible"), "1");
    bool screenNamed = false;
    for (const std::string& name : store.valueNames(kPlacementKey))
        if (name.rfind("NormPos(", 0) == 0) screenNamed = true;
    EXPECT_TRUE(screenNamed);

    TfrmUDP& again = Start(false);
    EXPECT_EQ(again.geometry(), QRect(40, 50, 600, 400));
    EXPECT_EQ(again.tabMessPage->currentWidget()->objectName(), "tabViewer");
    EXPECT_EQ(again.tabFilterPage->currentWidget()->objectName(), "tabIPFilter");
    EXPECT_FALSE(again.statusBar()->isVisible());
    EXPECT_FALSE(again.actViewStatus->isChecked());
}

TEST_F(MainWindowTest, PlacementFromAnotherPixelDensityIsNotApplied) {
    store.writeText(kPlacementKey, "PixelsPerInch", "500");
    store.writeText(kPlacementKey, "NormPos", "1,2,503,339");
    TfrmUDP& w = Start(false);
    EXPECT_NE(w.geometry().topLeft(), QPoint(1, 2));
}

TEST_F(MainWindowTest, PopUpListStaysEmptyAndDisabled) {
    TfrmUDP& w = Start(false);
    for (QMenu* menu : {w.mnuPopups, w.popPopups}) {
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(menu->actions()[0]->text(), "Clear PopUps Message list...");
        EXPECT_FALSE(menu->actions()[0]->isEnabled());
        EXPECT_FALSE(menu->actions()[1]->isVisible());
    }
    w.popPopups->addAction("stray");
    w.mnuPopup1Click();
    EXPECT_EQ(w.popPopups->actions().size(), 2);
    EXPECT_EQ(w.btnPopups->toolTip(), "List of PopUps during Process/Last PopUp");
}

TEST_F(MainWindowTest, BadDatagramsOpenAtMostOneBoxAndGoodOnesGoOn) {
    store.writeText(kGeneralKey, "WriteToLog", "1");
    store.writeText(kGeneralKey, "WriteToLogUnknownID", "1");
    store.writeText(kGeneralKey, "LogDir", (dir / "Log").string());
    TfrmUDP& w = Start();
    w.actStartProcess->trigger();
    int boxesWhileOpen = 0;
    dialogs.onMessage = [&] {
        // Datagrams keep arriving while the box is open.
        for (int i = 0; i < 5; ++i)
            Send("<bad>a: x!");
        Send("<13>a: good!");
        Pump(150);
        boxesWhileOpen = static_cast<int>(dialogs.Messages().size());
    };
    for (int i = 0; i < 20; ++i)
        Send("<bad>a: x!");
    Send("<13>a: good!");
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages().empty(); }));
    Pump(200);
    EXPECT_EQ(boxesWhileOpen, 1);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Quillmere Light");
    EXPECT_EQ(dialogs.Messages()[0].text, "'bad' is not a valid integer value.");
    EXPECT_EQ(dialogs.Messages()[0].icon, BoxIcon::Error);
    const std::string log = qmtest::ReadFile(dir / "Log" / "20261206-Unknw.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_EQ(w.ProcessRows().RecordCount(), 2);
}

TEST_F(MainWindowTest, UncreatableLogFolderShutsDownOnce) {
    store.writeText(kGeneralKey, "WriteToLog", "1");
    store.writeText(kGeneralKey, "LogDir", (dir / "no" / "such" / "Log").string());
    Start(false, false);
    Pump(100);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Quillmere shutdown");
    EXPECT_EQ(dialogs.Messages()[0].text, "Can't create log directory. Check your access and try again.");
    EXPECT_EQ(closedSignals, 1);
    EXPECT_EQ(Stored(kGeneralKey, "WriteToLog"), "1"); // saved as at any shutdown
}

TEST_F(MainWindowTest, PortInUseIsReportedAndTheProgramRunsOn) {
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::AnyIPv4, 0));
    store.writeDword(kGeneralKey, "Port", taken.localPort());
    TfrmUDP& w = Start();
    Pump(50);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QString::number(taken.localPort())));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.clbIDFilter->count(), 0); // the rest of the start went on
}

// util-linux logger to the running window: rows in the table, lines in the log.
TEST_F(MainWindowTest, LoggerMessagesBecomeRowsAndLogLines) {
    store.writeText(kGeneralKey, "WriteToLog", "1");
    store.writeText(kGeneralKey, "LogDir", (dir / "Log").string());
    store.writeText(kGeneralKey, "AutoListen", "1");
    store.writeText(kIdKey, "12", "Disk,Yes,,255,No,Yes"); // user.warning
    TfrmUDP& w = Start();
    const std::string port = std::to_string(w.oUdp->BoundPort());
    for (const char* text : {"first message", "second message"}) {
        auto r = qmtest::RunProcess({"/usr/bin/logger", "-n", "127.0.0.1", "-P", port, "-d", "--rfc3164",
                                     "-t", "disk", "-p", "user.warning", text});
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }
    ASSERT_TRUE(WaitUntil([&] { return w.ProcessRows().RecordCount() == 2; }));
    ASSERT_TRUE(WaitUntil([&] { return w.grdProcess->model()->rowCount() == 3; }));
    const QAbstractItemModel* m = w.grdProcess->model();
    EXPECT_EQ(m->index(0, ColName).data().toString(), "Disk");
    EXPECT_EQ(m->index(1, ColSourceLevel).data().toString(), "12");
    EXPECT_TRUE(m->index(1, ColMessage).data().toString().contains("second messag"));
    EXPECT_EQ(m->index(0, ColAliasIp).data().toString(), "127.0.0.1");
    EXPECT_EQ(w.grdProcess->currentIndex().row(), 2); // the empty row is selected
    const std::string log = qmtest::ReadFile(dir / "Log" / "20261206-Disk.log");
    EXPECT_NE(log.find("first messag"), std::string::npos);
    EXPECT_NE(log.find("\xB6"
                       "Disk\xB6"),
              std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

// F2 opens the real modal dialog on the ID page; OK there changes the window.
TEST_F(MainWindowTest, OptionsDialogOpensModallyAndOkAppliesAtOnce) {
    store.writeText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.writeText(kIdKey, "14", "Switch,Yes,,255,No,Yes");
    store.writeText(kGeneralKey, "LogDir", (dir / "Log").string());
    TfrmUDP& w = Start(false);
    w.clbIDFilter->setCurrentRow(1);
    QString page, panelName;
    bool watchdogFired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        watchdogFired = true;
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    watchdog.start(5000);
    QTimer::singleShot(50, [&] {
        auto* d = qobject_cast<TfrmOptions*>(QApplication::activeModalWidget());
        if (!d) return;
        page = d->tabPage->currentWidget()->objectName();
        panelName = d->edtIDName->text();
        d->chkWriteToLog->setChecked(true);
        d->edtPort->setText("1514");
        d->btnOk->click();
    });
    QTest::keyClick(w.grdProcess, Qt::Key_F2);
    watchdog.stop();
    EXPECT_FALSE(watchdogFired);
    EXPECT_EQ(page, "tabIDList");
    EXPECT_EQ(panelName, "Switch");
    EXPECT_TRUE(w.options.General.WriteToLog);
    EXPECT_EQ(w.windowTitle(), "06:12:2026 - Quillmere Light [Udp/1514 Listener] - Stopped");
    EXPECT_TRUE(std::filesystem::exists(dir / "Log" / "20261206-Router.log"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Log" / "20261206-Switch.log"));
}

// The program itself: the end of the session (SIGTERM on Linux, the
// session-end messages on Windows) saves and exits 0.
TEST(Program, SessionEndSavesTheOptionsAndExitsZero) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the program would use the operator's own settings";
    qmtest::TempDir dir;
    {
        auto store = qmtest::MakeUserStore(dir);
        store->deleteTree(kSettingsKey);
        store->writeDword(kGeneralKey, "Port", 0);
        store->writeText(kGeneralKey, "WriteToLog", "1");
        store->writeText(kGeneralKey, "LogDir", (dir / "Log").string());
        store->writeText(kIdKey, "5", "Router,Yes,,255,No,Yes");
    }
    const int pid = qmtest::StartProcess({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    // The day's files appear once the start-up sequence has run.
    bool started = false;
    for (int i = 0; i < 1000 && !started; ++i) {
        started = std::filesystem::exists(dir / "Log") && !std::filesystem::is_empty(dir / "Log");
        qmtest::SleepMs(10);
    }
    ASSERT_TRUE(started);
    qmtest::SleepMs(300);
    qmtest::EndSession(pid);
    EXPECT_EQ(qmtest::WaitProcess(pid, 10000), 0);
    auto store = qmtest::MakeUserStore(dir);
    EXPECT_EQ(store->readValue(kGeneralKey, "CloseToSysTray")->text, "1");
    EXPECT_EQ(store->readValue(kIdKey, "5")->text, "Router,Yes,,255,No,Yes");
    EXPECT_TRUE(store->keyExists(kPlacementKey));
}

} // namespace

namespace {

// Renders the window as the operator sees it; QM_SCREENSHOT_DIR keeps the PNGs.
TEST_F(MainWindowTest, RendersAtDesignSizeAndMaximised) {
    store.writeText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.writeText(kIdKey, "14", "Switch,Yes,,32768,No,Yes");
    store.writeText(kIpKey, "127.0.0.1", "Local,Yes");
    TfrmUDP& w = Start();
    w.actStartProcess->trigger();
    QUdpSocket s;
    for (const char* d :
         {"<13>Dec  6 21:12:19 host app: router up", "<14>Dec  6 21:12:20 host app: link flap",
          "<30>Dec  6 21:12:21 host cron: job done"})
        s.writeDatagram(d, QHostAddress::LocalHost, static_cast<quint16>(w.oUdp->BoundPort()));
    ASSERT_TRUE(WaitUntil([&] { return w.ProcessRows().RecordCount() == 3; }));
    w.FlushProcessTable();
    const char* out = std::getenv("QM_SCREENSHOT_DIR");
    const std::filesystem::path folder = out ? std::filesystem::path(out) : dir.path();
    w.resize(504, 337);
    Pump();
    ASSERT_TRUE(w.grab().save(QString::fromStdString((folder / "main-504x337.png").string())));
    w.showMaximized();
    Pump(100);
    ASSERT_TRUE(w.grab().save(QString::fromStdString((folder / "main-maximised.png").string())));
    EXPECT_GT(std::filesystem::file_size(folder / "main-504x337.png"), 1000u);
}

} // namespace
