#include "AppFixture.h"
#include "platform/ErrorReport.h"
#include "platform/qt/TNMUDP.h"
#include "reception/LogFiles.h"
#include "settings/ui/unitOptions.h"
#include "support/Process.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWidgetAction>

#include <regex>

using namespace qm;
using qmtest::AppFixture;
using qmtest::CellText;
using qmtest::Rows;

namespace {

class MainWindowTest : public AppFixture {
protected:
    void ClickTab(const char* tabs, int index) {
        QTabBar* bar = Find<QTabWidget>(tabs)->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    QString Panel0() { return Find<QLabel>("statusPanel0")->text(); }
    QString Panel1() { return Find<QLabel>("statusPanel1")->text(); }
};

TEST_F(MainWindowTest, FirstStartShowsDefaults) {
    store.DeleteValue(kGeneralKey, "Port");
    TfrmUDP& w = Start(false);
    EXPECT_EQ(w.windowTitle(), "06:12:2026 - Quillmere Light [Udp/514 Listener] - Stopped");
    EXPECT_EQ(Panel0(), "ID [0]  :  IP [0]");
    EXPECT_EQ(Panel1(), "Total record in current table: 0");
    EXPECT_EQ(IdFilter()->count(), 0);
    EXPECT_EQ(Page("tabFilterPage"), "tabIDFilter");
    EXPECT_EQ(Page("tabMessPage"), "tabProcess");
    EXPECT_TRUE(Find<QToolBar>("barTool")->isVisible() && w.statusBar()->isVisible() &&
                Find<QTabWidget>("tabFilterPage")->isVisible());
    EXPECT_FALSE(Act("actStartProcess")->isChecked());
    EXPECT_EQ(Rows(Process()), 1);
    EXPECT_EQ(Process()->model()->headerData(0, Qt::Horizontal).toString(), "Date");
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
        QAction* a = Act(r.name);
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
    for (QAction* a : Find<QToolBar>("barTool")->actions()) {
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

// A new operator's first minutes: the empty live table says what to do
// (drawn over it, not a row), and the line goes with the first row.
TEST_F(MainWindowTest, TheEmptyLiveTableSaysWhatToDo) {
    store.WriteText(kGeneralKey, "WriteToLogUnknownID", "1");
    TfrmUDP& w = Start();
    auto* hint = Find<QLabel>("grdProcessEmptyHint");
    const int port = w.ListeningPort();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), QString("Stopped: press F5 to listen on UDP port %1.").arg(port));
    Act("actStartProcess")->trigger();
    EXPECT_EQ(hint->text(), QString("Listening on UDP port %1: no message yet.").arg(port));
    Send("<13>app: the first one!");
    EXPECT_TRUE(WaitUntil([&] { return !hint->isVisible(); }));
    EXPECT_EQ(CellText(Process(), 0, ColMessage), " the first one");
}

// Every "Menu, Item" the manual pages and the READMEs name is an item of
// that menu in the program (the manual page once sent the operator to
// Service for Shutdown, which is in File).
TEST_F(MainWindowTest, EveryMenuPathTheDocumentsNameIsInThatMenu) {
    Start();
    const std::map<std::string, const char*> menus = {
        {"File", "mnuFile"}, {"Edit", "mnuEdit"}, {"View", "mnuView"}, {"Service", "mnuService"}, {"Help", "mnuHelp"}};
    const std::regex path(R"(\b(File|Edit|View|Service|Help),\s+"?([A-Z][A-Za-z]+))");
    int checked = 0;
    for (const char* document : {"README.md", "packaging/linux/ferrowick.1", "packaging/linux/ferrowick-reg.1",
                                 "app/windows/README.txt"}) {
        const std::string text = qmtest::ReadFile(std::filesystem::path(QM_SOURCE_DIR) / document);
        ASSERT_FALSE(text.empty()) << document;
        for (auto m = std::sregex_iterator(text.begin(), text.end(), path); m != std::sregex_iterator(); ++m) {
            QStringList items;
            for (const QAction* a : Find<QMenu>(menus.at((*m)[1]))->actions())
                items << a->text().remove('&');
            const QString item = QString::fromStdString((*m)[2]);
            EXPECT_TRUE(std::any_of(items.begin(), items.end(), [&](const QString& i) { return i.startsWith(item); }))
                << document << ": \"" << m->str() << "\" names no item of " << (*m)[1] << " ("
                << items.join(", ").toStdString() << ")";
            ++checked;
        }
    }
    EXPECT_GE(checked, 8);
}

TEST_F(MainWindowTest, AutoListenStartsAndStartProcessToggles) {
    store.WriteText(kGeneralKey, "AutoListen", "1");
    TfrmUDP& w = Start(false);
    EXPECT_TRUE(w.windowTitle().endsWith("Listener] - Started"));
    EXPECT_TRUE(Act("actStartProcess")->isChecked());
    EXPECT_TRUE(w.Listening());
    Find<QTabWidget>("tabMessPage")->setCurrentIndex(1);
    QTest::keyClick(Viewer(), Qt::Key_F5);
    EXPECT_TRUE(w.windowTitle().endsWith("Listener] - Stopped"));
    EXPECT_EQ(Page("tabMessPage"), "tabProcess");
    QTest::keyClick(Process(), Qt::Key_F5);
    EXPECT_TRUE(w.windowTitle().endsWith("Listener] - Started"));
}

TEST_F(MainWindowTest, CloseHidesUntilShutdownWhichSaves) {
    TfrmUDP& w = Start(false);
    w.close();
    qmtest::Settle();
    EXPECT_EQ(closedSignals, 0);
    EXPECT_FALSE(w.isVisible() && !w.isMinimized()); // hidden, or minimised without a tray
    EXPECT_EQ(Stored(kGeneralKey, "CloseToSysTray"), "<missing>");
    auto* shutdown = Find<QMenu>("popSys")->findChild<QAction*>("popSysShutdown");
    ASSERT_TRUE(shutdown);
    shutdown->trigger();
    EXPECT_EQ(closedSignals, 1);
    EXPECT_EQ(exitStatus, 0);
    EXPECT_EQ(Stored(kGeneralKey, "CloseToSysTray"), "1");
    EXPECT_EQ(Stored(kPlacementKey, "tabMessPage_ActivePage"), "tabProcess");
}

TEST_F(MainWindowTest, CloseToSysTrayOffEndsTheProgramAndStaysOff) {
    store.WriteText(kGeneralKey, "CloseToSysTray", "0");
    Start(false).close();
    EXPECT_EQ(closedSignals, 1);
    EXPECT_EQ(Stored(kGeneralKey, "CloseToSysTray"), "0");
    Start(false);
    EXPECT_FALSE(Opts().General.CloseToSysTray);
}

TEST_F(MainWindowTest, FilterExplorerTicksAreLiveListenSwitches) {
    store.WriteText(kIdKey, "13", "Router,yes,,255,No,Yes"); // lower case: not ticked
    store.WriteText(kIdKey, "14", "Switch,Yes,,255,No,Yes");
    store.WriteText(kIpKey, "127.0.0.1", "Local,Yes");
    store.WriteText(kGeneralKey, "ListenUnregisteredID", "0");
    TfrmUDP& w = Start();
    EXPECT_EQ(Panel0(), "ID [2]  :  IP [1]");
    EXPECT_EQ(IdFilter()->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(IdFilter()->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(IpFilter()->item(0)->text(), "Local");
    EXPECT_EQ(IdFilter()->currentRow(), 0);

    Act("actStartProcess")->trigger();
    Send("<14>a: first!");
    ASSERT_TRUE(WaitUntil([&] { return Records() == 1; }));
    // Untick the IP with the space bar on its selected item.
    Find<QTabWidget>("tabFilterPage")->setCurrentIndex(1);
    IpFilter()->setFocus();
    QTest::keyClick(IpFilter(), Qt::Key_Space);
    EXPECT_EQ(Opts().IpList[0].Listen, "No");
    Send("<14>a: second!");
    ASSERT_TRUE(WaitUntil([&] { return w.ReceptionState().Counts().rejected == 1; })); // handled, not shown
    EXPECT_EQ(Records(), 1);
    w.Shutdown();
    Start();
    EXPECT_EQ(IpFilter()->item(0)->checkState(), Qt::Unchecked);
}

TEST_F(MainWindowTest, ClearCurrentListingAsksAboutTheActiveTable) {
    TfrmUDP& w = Start();
    Act("actStartProcess")->trigger();
    for (int i = 0; i < 3; ++i)
        Send("<13>a: hello!");
    ASSERT_TRUE(WaitUntil([&] { return Records() == 3; }));
    w.FlushProcessTable();

    dialogs.answers = {false};
    QTest::keyClick(Process(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Clear listing");
    EXPECT_EQ(dialogs.shown[0].text, "Do you want to clear Process list table?");
    EXPECT_EQ(dialogs.shown[0].icon, BoxIcon::Warning);
    EXPECT_EQ(Records(), 3);

    dialogs.answers = {true};
    QTest::keyClick(Process(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(Records(), 0);
    EXPECT_EQ(Rows(Process()), 1);
    EXPECT_EQ(Process()->model()->headerData(2, Qt::Horizontal).toString(), "Message");

    Find<QTabWidget>("tabMessPage")->setCurrentIndex(1);
    dialogs.answers = {true};
    QTest::keyClick(Viewer(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown.back().text, "Do you want to clear Log-file Viewer table?");
    for (const auto& s : dialogs.shown)
        EXPECT_NE(s.kind, "save"); // never an export
}

TEST_F(MainWindowTest, RecordCountFollowsTabClicksOnly) {
    qmtest::WriteFile(dir / "empty-lines.log", std::string(25, '\n'));
    Start();
    dialogs.files = {QString::fromStdString((dir / "empty-lines.log").string())};
    OpenLog();
    Find<QTabWidget>("tabMessPage")->setCurrentIndex(0);
    Act("actStartProcess")->trigger();
    for (int i = 0; i < 3; ++i)
        Send("<13>a: hello!");
    ASSERT_TRUE(WaitUntil([&] { return Records() == 3; }));
    EXPECT_EQ(Panel1(), "Total record in current table: 0");
    ClickTab("tabMessPage", 1);
    EXPECT_EQ(Panel1(), "Total record in current table: 25");
    ClickTab("tabMessPage", 0);
    EXPECT_EQ(Panel1(), "Total record in current table: 3");
    Act("mnuShowViewerTable")->trigger(); // a menu choice changes the page, not the count
    EXPECT_EQ(Page("tabMessPage"), "tabViewer");
    EXPECT_EQ(Panel1(), "Total record in current table: 3");
}

TEST_F(MainWindowTest, PagePairsAndViewToggles) {
    TfrmUDP& w = Start(false);
    EXPECT_TRUE(Act("mnuShowProcessTable")->isChecked());
    Act("mnuShowViewerTable")->trigger();
    EXPECT_EQ(Page("tabMessPage"), "tabViewer");
    EXPECT_TRUE(Act("mnuShowViewerTable")->isChecked());
    EXPECT_FALSE(Act("mnuShowProcessTable")->isChecked());
    Act("mnuShowIPFilter")->trigger();
    EXPECT_EQ(Page("tabFilterPage"), "tabIPFilter");
    Act("actViewToolBar")->trigger();
    EXPECT_FALSE(Find<QToolBar>("barTool")->isVisible());
    EXPECT_FALSE(Act("actViewToolBar")->isChecked());
    Act("actViewStatus")->trigger();
    EXPECT_FALSE(w.statusBar()->isVisible());
}

TEST_F(MainWindowTest, PlacementStoreRoundTrip) {
    TfrmUDP& w = Start(false);
    w.setGeometry(40, 50, 600, 400);
    Find<QTabWidget>("tabMessPage")->setCurrentIndex(1);
    Find<QTabWidget>("tabFilterPage")->setCurrentIndex(1);
    Act("actViewStatus")->trigger();
    w.Shutdown();
    EXPECT_EQ(Stored(kPlacementKey, "NormPos"), "40,50,640,450");
    EXPECT_EQ(Stored(kPlacementKey, "FormVersion"), "0");
    EXPECT_EQ(Stored(kPlacementKey, "barStatus_Visible"), "False");
    EXPECT_EQ(Stored(kPlacementKey, "actViewStatus_Checked"), "False");
    EXPECT_EQ(Stored(kPlacementKey, "tabMessPage_ActivePage"), "tabViewer");
    EXPECT_EQ(Stored(kPlacementKey, "Visible"), "1");
    bool screenNamed = false;
    for (const std::string& name : store.ValueNames(kPlacementKey))
        if (name.rfind("NormPos(", 0) == 0) screenNamed = true;
    EXPECT_TRUE(screenNamed);

    TfrmUDP& again = Start(false);
    EXPECT_EQ(again.geometry(), QRect(40, 50, 600, 400));
    EXPECT_EQ(Page("tabMessPage"), "tabViewer");
    EXPECT_EQ(Page("tabFilterPage"), "tabIPFilter");
    EXPECT_FALSE(again.statusBar()->isVisible());
    EXPECT_FALSE(Act("actViewStatus")->isChecked());
}

TEST_F(MainWindowTest, PlacementFromAnotherPixelDensityIsNotApplied) {
    store.WriteText(kPlacementKey, "PixelsPerInch", "500");
    store.WriteText(kPlacementKey, "NormPos", "1,2,503,339");
    TfrmUDP& w = Start(false);
    EXPECT_NE(w.geometry().topLeft(), QPoint(1, 2));
}

TEST_F(MainWindowTest, PopUpListStaysEmptyAndDisabled) {
    Start(false);
    auto* view = Find<QMenu>("mnuPopups");
    auto* tool = Find<QMenu>("popPopups");
    for (QMenu* menu : {view, tool}) {
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(menu->actions()[0]->text(), "Clear PopUps Message list...");
        EXPECT_FALSE(menu->actions()[0]->isEnabled());
        EXPECT_FALSE(menu->actions()[1]->isVisible());
    }
    // Its clear command, were it enabled, leaves the two items only.
    tool->addAction("stray");
    QAction* clear = tool->actions()[0];
    clear->setEnabled(true);
    clear->trigger();
    EXPECT_EQ(tool->actions().size(), 2);
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_EQ(Find<QToolButton>("btnPopups")->toolTip(), "List of PopUps during Process/Last PopUp");
}

TEST_F(MainWindowTest, BadDatagramsOpenAtMostOneBoxAndGoodOnesGoOn) {
    store.WriteText(kGeneralKey, "WriteToLog", "1");
    store.WriteText(kGeneralKey, "WriteToLogUnknownID", "1");
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    Start();
    Act("actStartProcess")->trigger();
    int boxesWhileOpen = 0;
    dialogs.onMessage = [&] {
        // Datagrams keep arriving while the box is open.
        for (int i = 0; i < 5; ++i)
            Send("<bad>a: x!");
        Send("<13>a: good!");
        // All 27 handled while the box is open: their boxes would be asked for now.
        EXPECT_TRUE(WaitUntil([&] {
            const ReceptionCounts& c = window->ReceptionState().Counts();
            return c.decodeFailures + c.admitted == 27;
        }));
        qmtest::Settle();
        boxesWhileOpen = static_cast<int>(dialogs.Messages().size());
    };
    for (int i = 0; i < 20; ++i)
        Send("<bad>a: x!");
    Send("<13>a: good!");
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages().empty(); }));
    qmtest::Settle();
    EXPECT_EQ(boxesWhileOpen, 1);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Quillmere Light");
    EXPECT_EQ(dialogs.Messages()[0].text, "'bad' is not a valid integer value.");
    EXPECT_EQ(dialogs.Messages()[0].icon, BoxIcon::Error);
    const std::string log = qmtest::ReadFile(dir / "Log" / "20261206-Unknw.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(window->ReceptionState().Counts().decodeFailures, 25u);
}

// A sender's text of any length leaves the box small enough for the screen,
// its sentence still readable.
TEST_F(MainWindowTest, AnErrorBoxShowsABoundedPartOfTheSendersText) {
    Start();
    Act("actStartProcess")->trigger();
    Send("<" + QByteArray(65000, 'x') + ">a: x!");
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages().empty(); }));
    const QString text = dialogs.Messages()[0].text;
    EXPECT_LE(text.size(), 501);
    EXPECT_TRUE(text.startsWith("'xxxxxxxx")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QString::fromUtf8("xxx\u2026") + QString(40 - 30, 'x') +
                              "' is not a valid integer value."))
        << text.toStdString();
}

TEST_F(MainWindowTest, UncreatableLogFolderShutsDownOnce) {
    store.WriteText(kGeneralKey, "WriteToLog", "1");
    store.WriteText(kGeneralKey, "LogDir", (dir / "no" / "such" / "Log").string());
    Start(false, false);
    ASSERT_TRUE(WaitUntil([&] { return closedSignals == 1; })); // the shutdown follows its box
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Quillmere shutdown");
    EXPECT_EQ(dialogs.Messages()[0].text, "Can't create log directory. Check your access and try again.");
    EXPECT_EQ(closedSignals, 1);
    EXPECT_EQ(Stored(kGeneralKey, "WriteToLog"), "1"); // saved as at any shutdown
}

// A port that cannot be bound is said once at start and the program runs on;
// Start process then tries again, and the title never claims a listener
// that does not exist.
TEST_F(MainWindowTest, PortInUseIsReportedAndStartProcessTriesAgain) {
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::AnyIPv4, 0));
    store.WriteDword(kGeneralKey, "Port", taken.localPort());
    TfrmUDP& w = Start();
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages().empty(); }));
    qmtest::Settle();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QString::number(taken.localPort())));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.ListeningPort(), 0);

    QTest::keyClick(Process(), Qt::Key_F5);
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Messages().size() == 2u; })); // once the key's event is done
    EXPECT_TRUE(dialogs.Messages()[1].text.contains("cannot be listened on"));
    EXPECT_TRUE(w.windowTitle().endsWith("Listener] - Stopped"));
    EXPECT_FALSE(Act("actStartProcess")->isChecked());
    EXPECT_FALSE(w.Listening());

    const quint16 port = taken.localPort();
    taken.close();
    QTest::keyClick(Process(), Qt::Key_F5);
    EXPECT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_TRUE(w.windowTitle().endsWith("[Udp/" + QString::number(port) + " Listener] - Started"));
    EXPECT_EQ(w.ListeningPort(), port);
}

// util-linux logger to the running window: rows in the table, lines in the log.
TEST_F(MainWindowTest, LoggerMessagesBecomeRowsAndLogLines) {
    store.WriteText(kGeneralKey, "WriteToLog", "1");
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    store.WriteText(kGeneralKey, "AutoListen", "1");
    store.WriteText(kIdKey, "12", "Disk,Yes,,255,No,Yes"); // user.warning
    TfrmUDP& w = Start();
    const std::string port = std::to_string(w.ListeningPort());
    for (const char* text : {"first message", "second message"}) {
        auto r = qmtest::RunProcess({"/usr/bin/logger", "-n", "127.0.0.1", "-P", port, "-d", "--rfc3164",
                                     "-t", "disk", "-p", "user.warning", text});
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }
    ASSERT_TRUE(WaitUntil([&] { return Records() == 2; }));
    ASSERT_TRUE(WaitUntil([&] { return Rows(Process()) == 3; }));
    EXPECT_EQ(CellText(Process(), 0, ColName), "Disk");
    EXPECT_EQ(CellText(Process(), 1, ColSourceLevel), "12");
    EXPECT_TRUE(CellText(Process(), 1, ColMessage).contains("second messag"));
    EXPECT_EQ(CellText(Process(), 0, ColAliasIp), "127.0.0.1");
    EXPECT_EQ(Process()->currentIndex().row(), 2); // the empty row is selected
    const std::string log = qmtest::ReadFile(dir / "Log" / "20261206-Disk.log");
    EXPECT_NE(log.find("first messag"), std::string::npos);
    EXPECT_NE(log.find("\xB6"
                       "Disk\xB6"),
              std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

// Runs `inside` on the options dialog once F2 (or any key) has opened it,
// waiting for it with a deadline.
class OptionsFromTheWindow : public MainWindowTest {
protected:
    bool OnDialog(std::function<void(TfrmOptions*)> inside, std::function<void()> open) {
        return WithModal<TfrmOptions>(std::move(inside), std::move(open)) != nullptr;
    }
};

// F2 opens the real modal dialog on the ID page; OK there changes the window.
TEST_F(OptionsFromTheWindow, OkAppliesAtOnceInItsOrder) {
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.WriteText(kIdKey, "14", "Switch,Yes,,255,No,Yes");
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    TfrmUDP& w = Start();
    IdFilter()->setCurrentRow(1);
    QString page, panelName;
    const int newPort = [] {
        QUdpSocket probe;
        probe.bind(QHostAddress::AnyIPv4, 0);
        return probe.localPort();
    }();
    ASSERT_TRUE(OnDialog(
        [&](TfrmOptions* d) {
            page = d->findChild<QTabWidget*>("tabPage")->currentWidget()->objectName();
            panelName = d->findChild<QLineEdit*>("edtIDName")->text();
            d->findChild<QCheckBox*>("chkWriteToLog")->setChecked(true);
            d->findChild<QLineEdit*>("edtPort")->setText(QString::number(newPort));
            d->findChild<QPushButton*>("btnOk")->click();
        },
        [&] { QTest::keyClick(Process(), Qt::Key_F2); }));
    EXPECT_EQ(page, "tabIDList");
    EXPECT_EQ(panelName, "Switch");
    EXPECT_TRUE(Opts().General.WriteToLog);
    EXPECT_EQ(w.windowTitle(),
              "06:12:2026 - Quillmere Light [Udp/" + QString::number(newPort) + " Listener] - Stopped");
    EXPECT_EQ(w.ListeningPort(), newPort); // bound at OK, not at the next start
    EXPECT_TRUE(std::filesystem::exists(dir / "Log" / "20261206-Router.log"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Log" / "20261206-Switch.log"));
}

// A port that cannot be listened on is refused at OK: the dialog stays, and
// the old socket, port and title stay as they were.
TEST_F(OptionsFromTheWindow, APortInUseIsRefusedAndNothingChanges) {
    QUdpSocket taken;
    ASSERT_TRUE(taken.bind(QHostAddress::AnyIPv4, 0));
    TfrmUDP& w = Start();
    const int before = w.ListeningPort();
    const QString title = w.windowTitle();
    bool stillOpen = false;
    ASSERT_TRUE(OnDialog(
        [&](TfrmOptions* d) {
            d->findChild<QLineEdit*>("edtPort")->setText(QString::number(taken.localPort()));
            d->findChild<QCheckBox*>("chkAutoSizeGrid")->setChecked(true);
            d->findChild<QPushButton*>("btnOk")->click();
            stillOpen = d->isVisible();
            d->findChild<QPushButton*>("btnCancel")->click();
        },
        [&] { Act("actOptions")->trigger(); }));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "UDP port " + QString::number(taken.localPort()) +
                                              " cannot be listened on: Address already in use.");
    EXPECT_EQ(w.ListeningPort(), before);
    EXPECT_EQ(w.windowTitle(), title);
    EXPECT_FALSE(Opts().General.AutoSizeGrid);
}

// A double-click anywhere in a check-list, its empty area too, opens the
// options on that list.
TEST_F(OptionsFromTheWindow, DoubleClickInACheckListOpensItsPage) {
    Start(false);
    for (auto [list, expected] :
         {std::pair{"clbIDFilter", "tabIDList"}, std::pair{"clbIPFilter", "tabIPList"}}) {
        Find<QTabWidget>("tabFilterPage")->setCurrentIndex(std::string(list) == "clbIDFilter" ? 0 : 1);
        QString page;
        ASSERT_TRUE(OnDialog(
            [&](TfrmOptions* d) {
                page = d->findChild<QTabWidget*>("tabPage")->currentWidget()->objectName();
                d->findChild<QPushButton*>("btnCancel")->click();
            },
            [&] {
                QWidget* area = Find<QListWidget>(list)->viewport();
                QTest::mouseDClick(area, Qt::LeftButton, {}, QPoint(20, area->height() - 10));
            }))
            << list;
        EXPECT_EQ(page, expected);
    }
}

// The program itself: the end of the session (SIGTERM on Linux, the
// session-end messages on Windows) saves and exits 0.
TEST(Program, SessionEndSavesTheOptionsAndExitsZero) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the program would use the operator's own settings";
    qmtest::TempDir dir;
    {
        auto store = qmtest::MakeUserStore(dir);
        store->DeleteTree(kSettingsKey);
        store->WriteDword(kGeneralKey, "Port", 0);
        store->WriteText(kGeneralKey, "WriteToLog", "1");
        store->WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
        store->WriteText(kIdKey, "5", "Router,Yes,,255,No,Yes");
    }
    qmtest::Running program({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    // The day's files appear once the start-up sequence has run.
    ASSERT_TRUE(qmtest::WaitUntil(
        [&] { return std::filesystem::exists(dir / "Log") && !std::filesystem::is_empty(dir / "Log"); },
        10000));
    ASSERT_TRUE(qmtest::WaitForWindows(program.Pid(), 1)); // the window that hears the session's end
    qmtest::EndSession(program.Pid());
    EXPECT_EQ(program.Wait(10000), 0);
    auto store = qmtest::MakeUserStore(dir);
    EXPECT_EQ(store->ReadValue(kGeneralKey, "CloseToSysTray")->text, "1");
    EXPECT_EQ(store->ReadValue(kIdKey, "5")->text, "Router,Yes,,255,No,Yes");
    EXPECT_TRUE(store->KeyExists(kPlacementKey));
}

// A second start for the same user asks the running copy to come forward and
// ends at once with status 0, having read and written nothing; the first
// runs on to its own end.
TEST(Program, ASecondStartBringsTheFirstForwardAndEndsAtOnce) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the program would use the operator's own settings";
    qmtest::TempDir dir;
    {
        auto store = qmtest::MakeUserStore(dir);
        store->DeleteTree(kSettingsKey);
        store->WriteDword(kGeneralKey, "Port", 0);
        store->WriteText(kGeneralKey, "WriteToLog", "1");
        store->WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
        store->WriteText(kIdKey, "5", "Router,Yes,,255,No,Yes"); // a day file shows the start is done
    }
    qmtest::Running first({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    ASSERT_TRUE(qmtest::WaitUntil(
        [&] { return std::filesystem::exists(dir / "Log") && !std::filesystem::is_empty(dir / "Log"); },
        10000));
    ASSERT_TRUE(qmtest::WaitForWindows(first.Pid(), 1));
#ifndef _WIN32
    const std::filesystem::path file = dir / "config" / "tovrel" / "registry.sqlite";
    const std::string before = qmtest::ReadFile(file);
    const auto modified = std::filesystem::last_write_time(file);
#endif
    qmtest::Running second({qmtest::BinPath("Ferrowick")}, qmtest::ProgramEnv(dir));
    EXPECT_EQ(second.Wait(10000), 0);
#ifndef _WIN32
    EXPECT_EQ(qmtest::ReadFile(file), before);
    EXPECT_EQ(std::filesystem::last_write_time(file), modified);
#endif
    EXPECT_FALSE(std::filesystem::exists(dir / "Log" / kErrorReportFile));
    qmtest::EndSession(first.Pid());
    EXPECT_EQ(first.Wait(10000), 0);
    auto store = qmtest::MakeUserStore(dir);
    EXPECT_EQ(store->ReadValue(kGeneralKey, "CloseToSysTray")->text, "1"); // saved at the first one's end
}

// What the second start asks of the running window: out of the tray (or
// back from the task bar), in front.
TEST_F(MainWindowTest, ComingForwardShowsTheWindowOutOfTheTray) {
    TfrmUDP& w = Start(false);
    w.close();
    ASSERT_TRUE(!w.isVisible() || w.isMinimized());
    w.ComeForward();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());
    EXPECT_EQ(closedSignals, 0);
}

// Renders the window as the operator sees it; QM_SCREENSHOT_DIR keeps the PNGs.
TEST_F(MainWindowTest, RendersAtDesignSizeWithItsColours) {
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.WriteText(kIdKey, "14", "Switch,Yes,,32768,No,Yes");
    store.WriteText(kIpKey, "127.0.0.1", "Local,Yes");
    TfrmUDP& w = Start();
    Act("actStartProcess")->trigger();
    for (const char* d :
         {"<13>Dec  6 21:12:19 host app: router up", "<14>Dec  6 21:12:20 host app: link flap",
          "<30>Dec  6 21:12:21 host cron: job done"})
        Send(d);
    ASSERT_TRUE(WaitUntil([&] { return Records() == 3; }));
    w.FlushProcessTable();
    w.resize(504, 337);
    qmtest::Settle();
    const QImage shot = w.grab().toImage();
    if (const char* out = std::getenv("QM_SCREENSHOT_DIR"))
        shot.save(QString::fromLocal8Bit(out) + "/main-504x337.png");
    EXPECT_EQ(shot.size(), QSize(504, 337) * shot.devicePixelRatio());
    // The Date cells carry their rows' ID colours: red, green, the grid's own.
    const auto ink = [&](int row) {
        QTableView* grid = Process();
        const QRect cell = grid->visualRect(grid->model()->index(row, ColDate))
                               .translated(grid->viewport()->mapTo(&w, QPoint(0, 0)));
        int red = 0, green = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                red += c.red() > 150 && c.red() - c.green() > 80 && c.red() - c.blue() > 80;
                green += c.green() > 70 && c.green() - c.red() > 40 && c.green() - c.blue() > 40;
            }
        return std::pair{red, green};
    };
    EXPECT_GT(ink(0).first, 0);
    EXPECT_GT(ink(1).second, 0);
    EXPECT_EQ(ink(2).first + ink(2).second, 0);
}

} // namespace

namespace {

// Tips show only the hints the commands have; hovering never hides the
// status bar's counts.
TEST_F(MainWindowTest, HintsOnlyWhereDefinedAndTheCountsStay) {
    TfrmUDP& w = Start(false);
    const auto tipOf = [&](const char* action) {
        for (QToolButton* b : Find<QToolBar>("barTool")->findChildren<QToolButton*>())
            if (b->defaultAction() && b->defaultAction()->objectName() == action) {
                QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), b->mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(b, &help);
                return QToolTip::isVisible() ? QToolTip::text() : QString();
            }
        return QString("<no button>");
    };
    EXPECT_EQ(tipOf("actHelp"), "");
    EXPECT_EQ(tipOf("actEditTokenList"), "");
    EXPECT_EQ(tipOf("actAbout"), "About");
    QStatusTipEvent hover("Exit");
    QApplication::sendEvent(&w, &hover);
    EXPECT_EQ(w.statusBar()->currentMessage(), "");
    EXPECT_TRUE(Find<QLabel>("statusPanel0")->isVisible());
    EXPECT_EQ(Panel0(), "ID [0]  :  IP [0]");
    EXPECT_TRUE(Find<QLabel>("statusPanel1")->isVisible());
}

} // namespace
