// The options dialog, driven through its real widgets and keys.
#include "settings/OptionsLists.h"
#include "settings/ui/unitOptions.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "support/Widgets.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace qm;
using qmtest::CellText;
using qmtest::Rows;

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    Options options;
    int idRow = 0, ipRow = 0;
    std::vector<int> portsBound;              // what OK asked to bind
    std::vector<NetworkOptions> networkBound; // and the listeners beyond
    std::string bindError;                    // the answer to it
    qmtest::ScriptedDialogs dialogs;
    std::unique_ptr<TfrmOptions> dialog;

    TfrmOptions& Open(TfrmOptions::Page page = TfrmOptions::PageGeneral) {
        dialog = std::make_unique<TfrmOptions>(options, idRow, ipRow, dialogs,
                                               [this](int port, const NetworkOptions& network) {
                                                   portsBound.push_back(port);
                                                   networkBound.push_back(network);
                                                   return bindError.empty() ? Result{} : Result::Failed(bindError);
                                               });
        dialog->SelectPage(page);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    template <typename T = QWidget> T* W(const char* name) {
        T* w = qmtest::Child<T>(dialog.get(), name);
        EXPECT_TRUE(w) << name;
        return w;
    }
    QLineEdit* Edit(const char* name) { return W<QLineEdit>(name); }
    QCheckBox* Check(const char* name) { return W<QCheckBox>(name); }
    QTableView* Grid(const char* name) { return W<QTableView>(name); }
    QPushButton* Ok() { return W<QPushButton>("btnOk"); }
    QTabWidget* Tabs() { return W<QTabWidget>("tabPage"); }
    QString PageShown() { return Tabs()->currentWidget()->objectName(); }
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void ClickTab(int index) {
        QTabBar* bar = Tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        QCoreApplication::processEvents();
    }
    bool Accepted() { return dialog->result() == QDialog::Accepted && !dialog->isVisible(); }
};

TEST_F(OptionsDialogTest, FrameAndPages) {
    TfrmOptions& d = Open();
    EXPECT_EQ(d.windowTitle(), "  Options");
    EXPECT_EQ(d.height(), 298);
    EXPECT_GE(d.width(), 434);
    QStringList tabs;
    for (int i = 0; i < Tabs()->count(); ++i) {
        tabs << Tabs()->tabText(i);
        // Every tab whole inside the dialog, the last one too.
        const QRect tab = Tabs()->tabBar()->tabRect(i);
        EXPECT_TRUE(d.rect().contains(QRect(Tabs()->tabBar()->mapTo(&d, tab.topLeft()), tab.size())))
            << Tabs()->tabText(i).toStdString();
    }
    EXPECT_EQ(tabs, (QStringList{"General ", "ID/Rfc Listing ", "IP Listing ", "Token Listing", "Set Date", "Network"}));
    EXPECT_EQ(Ok()->text(), QString::fromUtf8("\u041E\u041A"));
    // The captions of each list sit over their columns: they are its header.
    struct Captions {
        const char* grid;
        QStringList words;
    };
    for (const Captions& c : std::vector<Captions>{
             {"grdIDList", {"ID name", "ID No", "ID listen", "Token", "Color", "UseToken", "Popup"}},
             {"grdIPList", {"IP Name", "IP Address", "IP Listen"}},
             {"grdTokenList", {"Token", "Use Token", "Color", "PopUp"}}}) {
        QTableView* grid = Grid(c.grid);
        QStringList shown;
        for (int col = 0; col < grid->model()->columnCount(); ++col)
            shown << grid->model()->headerData(col, Qt::Horizontal).toString();
        EXPECT_EQ(shown, c.words) << c.grid;
        EXPECT_FALSE(grid->horizontalHeader()->isHidden()) << c.grid;
    }
}

TEST_F(OptionsDialogTest, EmptyListsTakeTheirFirstEntryFromThePanel) {
    options.General.WriteToLog = true;
    Open(TfrmOptions::PageIdList);
    EXPECT_EQ(Rows(Grid("grdIDList")), 1);
    EXPECT_EQ(Rows(Grid("grdTokenList")), 1);
    EXPECT_TRUE(W<QFrame>("shpColor")->styleSheet().contains("#ffffff"));
    EXPECT_TRUE(W<QFrame>("shpTokenColor")->styleSheet().contains("#000000"));
    Type(Edit("edtIDName"), "Router");
    Type(Edit("edtIDNumber"), "13");
    QTest::mouseClick(Check("chkIDListen"), Qt::LeftButton);
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_TRUE(Accepted());
    const OptionsEdit& e = dialog->Edit();
    ASSERT_EQ(e.IdList.size(), 1u);
    EXPECT_EQ(e.IdList[0].Name, "Router");
    EXPECT_EQ(e.IdList[0].IdNumber, "13");
    EXPECT_EQ(e.IdList[0].Listen, "Yes");
    EXPECT_EQ(e.IdList[0].Color, "16777215");
    EXPECT_TRUE(e.General.WriteToLog);
    EXPECT_TRUE(portsBound.empty()); // the port did not change
}

TEST_F(OptionsDialogTest, ShowingARowNeverWritesIntoIt) {
    options.IdList = {{.IdNumber = "13",
                       .Name = "Router",
                       .Listen = "",
                       .Token = "",
                       .Color = "255",
                       .UseToken = "",
                       .Popup = ""}};
    Open(TfrmOptions::PageIdList);
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_TRUE(Accepted());
    // The blank flags got OK's defaults, not the panel's unchecked boxes.
    EXPECT_EQ(dialog->Edit().IdList[0].Listen, "No");
    EXPECT_EQ(dialog->Edit().IdList[0].Popup, "Yes");
}

TEST_F(OptionsDialogTest, StandardLevelQuestion) {
    Open(TfrmOptions::PageIdList);
    struct Case {
        const char* name;
        const char* number;
        bool asked;
        bool answer;
        const char* nameAfter;
        const char* numberAfter;
    };
    const std::vector<Case> cases = {
        {"Errors", "3", true, true, "ERR", "3"},      {"Errors", "3", true, false, "Errors", ""},
        {"err", "3", true, true, "ERR", "3"},         {"ERR", "3", false, false, "ERR", "3"},
        {"Errors", "8", false, false, "Errors", "8"}, {"", "0", true, true, "EMERG", "0"},
    };
    QTableView* grid = Grid("grdIDList");
    for (const Case& c : cases) {
        dialogs.shown.clear();
        dialogs.answers = {c.answer};
        Type(Edit("edtIDName"), c.name);
        Type(Edit("edtIDNumber"), c.number);
        Edit("edtIDName")->setFocus(); // leaving the number field
        QCoreApplication::processEvents();
        ASSERT_EQ(dialogs.shown.size(), c.asked ? 1u : 0u) << c.name << " " << c.number;
        if (c.asked) {
            EXPECT_EQ(dialogs.shown[0].caption, "Input standart RFC value");
            EXPECT_EQ(dialogs.shown[0].text,
                      "You enter standart RFC gravity level and will be get default vaule. "
                      "Do you want to continue?");
        }
        EXPECT_EQ(CellText(grid, 0, IdName), c.nameAfter);
        EXPECT_EQ(CellText(grid, 0, IdNo), c.numberAfter);
        if (c.asked && !c.answer) {
            EXPECT_TRUE(Edit("edtIDNumber")->hasFocus());
        }
        dialogs.answers.clear();
        Edit("edtIDNumber")->clear();
        Edit("edtIDName")->setFocus();
        QCoreApplication::processEvents();
    }
}

TEST_F(OptionsDialogTest, ListKeys) {
    options.IdList = {{.IdNumber = "13",
                       .Name = "Router",
                       .Listen = "Yes",
                       .Token = "",
                       .Color = "255",
                       .UseToken = "No",
                       .Popup = "Yes"},
                      {.IdNumber = "14",
                       .Name = "Switch",
                       .Listen = "Yes",
                       .Token = "",
                       .Color = "1",
                       .UseToken = "No",
                       .Popup = "No"}};
    Open(TfrmOptions::PageIdList);
    QTableView* ids = Grid("grdIDList");
    auto* presets = W<QMenu>("popIDAdd");
    ids->setFocus();
    QTest::keyClick(ids, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_TRUE(presets->isVisible());
    presets->hide();
    QTest::keyClick(ids, Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(dialogs.shown.empty());
    dialogs.answers = {true};
    QTest::keyClick(Edit("edtIDName"), Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Delete ID");
    EXPECT_EQ(dialogs.shown[0].text, "Do you want to delete this ID Listen Number entire?");
    EXPECT_EQ(Rows(ids), 1);
    EXPECT_EQ(Edit("edtIDName")->text(), "Switch");
    EXPECT_EQ(CellText(ids, 0, IdPopup), "No");

    // On OK or Cancel the keys act on the list shown, and on nothing on General.
    dialog->SelectPage(TfrmOptions::PageTokenList);
    Type(Edit("edtToken"), "disk");
    QTest::keyClick(W<QPushButton>("btnCancel"), Qt::Key_Insert);
    EXPECT_EQ(Rows(Grid("grdTokenList")), 2);
    dialog->SelectPage(TfrmOptions::PageGeneral);
    QTest::keyClick(Ok(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(Rows(Grid("grdTokenList")), 2);
}

TEST_F(OptionsDialogTest, PresetMenuItems) {
    Open(TfrmOptions::PageIdList);
    auto* menu = W<QMenu>("popIDAdd");
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions[4], "Add standart RFC Gravity Level (4 - WARNING)");
    EXPECT_EQ(captions[8], "-");
    EXPECT_EQ(captions[10], "-");
    EXPECT_EQ(captions[11], "Add ID for especially listen (0...191 - USER)");
    menu->findChild<QAction*>("popAll")->trigger();
    EXPECT_EQ(Rows(Grid("grdIDList")), 8);
    EXPECT_EQ(Edit("edtIDName")->text(), "DEBUG");
    menu->findChild<QAction*>("pop8")->trigger();
    EXPECT_EQ(Rows(Grid("grdIDList")), 9);
    EXPECT_TRUE(Edit("edtIDName")->hasFocus());
    menu->findChild<QAction*>("pop8")->trigger(); // the blank last row is not complete
    EXPECT_EQ(Rows(Grid("grdIDList")), 9);
}

TEST_F(OptionsDialogTest, ColoursNeedANamedRow) {
    Open(TfrmOptions::PageIdList);
    int repaints = 0;
    QObject::connect(dialog.get(), &TfrmOptions::ColourDialogClosed, [&] { ++repaints; });
    auto* choose = W<QToolButton>("btnChooseColor");
    dialogs.colors = {QColor(255, 0, 0)};
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_EQ(CellText(Grid("grdIDList"), 0, IdColor), "");
    EXPECT_EQ(repaints, 1);
    Type(Edit("edtIDName"), "Router");
    dialogs.colors = {QColor(0, 0, 255)};
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_EQ(CellText(Grid("grdIDList"), 0, IdColor), "16711680");
    dialogs.colors = {QColor()}; // cancelled
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_EQ(CellText(Grid("grdIDList"), 0, IdColor), "16711680");
    EXPECT_EQ(repaints, 3);
}

TEST_F(OptionsDialogTest, HoldingTheSpinButtonRepeats) {
    for (const char* t : {"t1", "t2", "t3", "t4", "t5"})
        options.TokenList.push_back({.Token = t, .UseToken = "Yes", .Color = "1", .Popup = "No"});
    Open(TfrmOptions::PageTokenList);
    QTableView* tokens = Grid("grdTokenList");
    auto* down = W<QToolButton>("btnTopDownBottom");
    QTest::mousePress(down, Qt::LeftButton);
    EXPECT_EQ(CellText(tokens, 1, TkToken), "t1"); // one step on pressing
    QElapsedTimer held;
    held.start();
    // Then after 400 ms, and every 100 ms after that, to the bottom.
    EXPECT_TRUE(QTest::qWaitFor([&] { return CellText(tokens, 4, TkToken) == "t1"; }, 3000));
    EXPECT_GE(held.elapsed(), 550);
    EXPECT_EQ(Edit("edtToken")->text(), "t1");
    QTest::mouseRelease(down, Qt::LeftButton);
    QTest::mouseClick(W<QToolButton>("btnTopDownTop"), Qt::LeftButton);
    EXPECT_EQ(CellText(tokens, 3, TkToken), "t1");
    // Released: no more steps will come, the repeat is stopped.
    EXPECT_FALSE(W<QTimer>("tmrTokenRepeat")->isActive());
    EXPECT_EQ(CellText(tokens, 3, TkToken), "t1");
}

TEST_F(OptionsDialogTest, NumbersAreRefusedWithEveryEditKept) {
    struct Case {
        const char* port;
        const char* limit;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"abc", "1000", "'abc' is not a valid integer value."},
        {"70000", "1000", "The UDP port must be a whole number from 1 to 65535."},
        {"0", "1000", "The UDP port must be a whole number from 1 to 65535."},
        {"514", "", "'' is not a valid integer value."},
        {"514", "2", "The row limit must be 0 or a whole number from 3 to 9999."},
    };
    for (const Case& c : cases) {
        Open();
        dialogs.shown.clear();
        Check("chkStayOnTop")->setChecked(true);
        Type(Edit("edtPort"), c.port);
        Edit("edtLimitRows")->setText(c.limit);
        QTest::mouseClick(Ok(), Qt::LeftButton);
        ASSERT_EQ(dialogs.Messages().size(), 1u) << c.port;
        EXPECT_EQ(dialogs.Messages()[0].text, c.message);
        EXPECT_EQ(dialogs.Messages()[0].caption, "Quillmere Light");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(Edit("edtPort")->text(), c.port);
        EXPECT_TRUE(Check("chkStayOnTop")->isChecked());
    }
    Edit("edtPort")->setText("1514");
    Edit("edtLimitRows")->setText("0");
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Edit().General.Port, 1514);
    EXPECT_EQ(dialog->Edit().General.LimitRows, 0);
    EXPECT_EQ(portsBound, std::vector<int>{1514});
}

// The Network page: TCP as a port of its own while ticked, checked like the
// UDP port at OK and bound with the IPv6 choice before anything is taken
// over; the keyboard goes through it in the order it reads.
TEST_F(OptionsDialogTest, TheNetworkPageTakesATcpPortAndTheIPv6Choice) {
    Open(TfrmOptions::PageNetwork);
    EXPECT_EQ(dialog->findChild<QTabWidget*>("tabPage")->currentWidget()->objectName(), "tabNetwork");
    EXPECT_FALSE(W<QLabel>("labHint")->isVisible()); // no list here
    EXPECT_FALSE(Edit("edtTcpPort")->isEnabled());
    Check("chkTcp")->setFocus();
    QTest::keyClick(Check("chkTcp"), Qt::Key_Space);
    ASSERT_TRUE(Edit("edtTcpPort")->isEnabled());
    EXPECT_TRUE(Edit("edtTcpPort")->hasFocus());
    QTest::keyClick(Edit("edtTcpPort"), Qt::Key_Tab);
    EXPECT_TRUE(Check("chkIPv6")->hasFocus());
    QTest::keyClick(Check("chkIPv6"), Qt::Key_Space);

    Type(Edit("edtTcpPort"), "70000");
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "The TCP port must be a whole number from 1 to 65535.");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(networkBound.empty());

    Type(Edit("edtTcpPort"), "1514");
    bindError = "TCP port 1514 cannot be listened on: Address already in use.";
    QTest::mouseClick(Ok(), Qt::LeftButton);
    EXPECT_EQ(dialogs.Messages().back().text, QString::fromStdString(bindError));
    EXPECT_TRUE(dialog->isVisible()); // every edit still there
    EXPECT_TRUE(Check("chkIPv6")->isChecked());
    bindError.clear();
    QTest::mouseClick(Ok(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    const NetworkOptions wanted{.TcpPort = 1514, .IPv6 = true};
    EXPECT_EQ(networkBound.back(), wanted);
    EXPECT_EQ(dialog->Edit().Network, wanted);
}

// A stored number the four-digit field cannot hold shows whole, and OK
// refuses it rather than saving a cut-down number nobody typed.
TEST_F(OptionsDialogTest, AStoredLimitBeyondTheFieldShowsWholeAndIsRefused) {
    for (const std::int32_t stored : {20000, -5}) {
        options.General.LimitRows = stored;
        Open();
        dialogs.shown.clear();
        EXPECT_EQ(Edit("edtLimitRows")->text(), QString::number(stored));
        QTest::mouseClick(Ok(), Qt::LeftButton);
        ASSERT_EQ(dialogs.Messages().size(), 1u) << stored;
        EXPECT_EQ(dialogs.Messages()[0].text, "The row limit must be 0 or a whole number from 3 to 9999.");
        EXPECT_TRUE(dialog->isVisible());
    }
    options.General.LimitRows = 9999;
    Open();
    EXPECT_EQ(Edit("edtLimitRows")->text(), "9999");
}

// A changed port is bound at OK; a port that cannot be listened on keeps the
// dialog open with every edit, and nothing is taken over.
TEST_F(OptionsDialogTest, APortThatCannotBeBoundKeepsTheDialogOpen) {
    Open();
    Type(Edit("edtPort"), "1514");
    Check("chkWriteToLog")->setChecked(true);
    bindError = "UDP port 1514 cannot be listened on: Address already in use.";
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, QString::fromStdString(bindError));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Check("chkWriteToLog")->isChecked());
    bindError.clear();
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(portsBound, (std::vector<int>{1514, 1514}));
}

TEST_F(OptionsDialogTest, ListErrorsKeepTheDialogOpen) {
    Open(TfrmOptions::PageIdList);
    Type(Edit("edtIDName"), "Core,");
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Error on input parameters");
    EXPECT_EQ(dialogs.Messages()[0].icon, BoxIcon::Error);
    EXPECT_TRUE(dialog->isVisible());
    dialog->close(); // Alt+F4 is refused too
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OptionsDialogTest, CancelAndEscapeDropEveryEdit) {
    options.IdList = {{.IdNumber = "13",
                       .Name = "Router",
                       .Listen = "Yes",
                       .Token = "",
                       .Color = "255",
                       .UseToken = "No",
                       .Popup = "Yes"}};
    Open(TfrmOptions::PageIdList);
    Type(Edit("edtIDName"), "Changed");
    Check("chkWriteToLog")->setChecked(true);
    dialog->SelectPage(TfrmOptions::PageTokenList);
    Type(Edit("edtToken"), "new");
    QTest::keyClick(Grid("grdTokenList"), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(portsBound.empty());
}

// Enter is OK, except on a focused button: that button answers it itself.
TEST_F(OptionsDialogTest, EnterIsOkUnlessAnotherButtonHasTheFocus) {
    Open();
    Check("chkAutoSizeGrid")->setChecked(true);
    QTest::keyClick(Check("chkAutoSizeGrid"), Qt::Key_Return);
    ASSERT_TRUE(Accepted());
    EXPECT_TRUE(dialog->Edit().General.AutoSizeGrid);

    Open();
    Check("chkAutoSizeGrid")->setChecked(true);
    auto* cancel = W<QPushButton>("btnCancel");
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(OptionsDialogTest, CalendarClickChoosesTheUserDate) {
    options.UserDate = {2026, 12, 6, 10, 0, 0};
    Open(TfrmOptions::PageSetDate);
    auto* calendar = W<QCalendarWidget>("dtpDate");
    EXPECT_FALSE(Check("chkUseUserDate")->isChecked());
    calendar->setSelectedDate(QDate(2025, 1, 1));
    auto* view = calendar->findChild<QAbstractItemView*>();
    ASSERT_TRUE(view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Check("chkUseUserDate")->isChecked());
    calendar->setSelectedDate(QDate(2025, 1, 1));
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_TRUE(Accepted());
    EXPECT_TRUE(dialog->Edit().UseUserDate);
    EXPECT_EQ(dialog->Edit().UserDate, (DateTime{2025, 1, 1, 10, 0, 0}));
}

// Every page change of the operator's, by mouse or keyboard, shows the hint
// and gives a list page's grid the focus; the page the dialog opens on does not.
TEST_F(OptionsDialogTest, PageChangesByMouseOrKeyboard) {
    Open(TfrmOptions::PageIpList);
    auto* hint = W<QLabel>("labHint");
    EXPECT_EQ(PageShown(), "tabIPList");
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(hint->text(), "Ins - Add position, Ctrl+Del - Delete position");
    ClickTab(TfrmOptions::PageGeneral);
    EXPECT_FALSE(hint->isVisible());
    ClickTab(TfrmOptions::PageIdList);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(Grid("grdIDList")->hasFocus());

    struct Key {
        QWidget* target;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* page;
        const char* grid;
    };
    QTabBar* bar = Tabs()->tabBar();
    for (const Key& k : std::vector<Key>{
             {Grid("grdIDList"), Qt::Key_Tab, Qt::ControlModifier, "tabIPList", "grdIPList"},
             {Grid("grdIPList"), Qt::Key_PageDown, Qt::ControlModifier, "tabTokenList", "grdTokenList"},
             {Grid("grdTokenList"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "tabIPList",
              "grdIPList"},
             {Grid("grdIPList"), Qt::Key_PageUp, Qt::ControlModifier, "tabIDList", "grdIDList"},
             {bar, Qt::Key_Right, Qt::NoModifier, "tabIPList", "grdIPList"},
         }) {
        if (k.target == bar) bar->setFocus();
        QTest::keyClick(k.target, k.key, k.mods);
        QCoreApplication::processEvents();
        EXPECT_EQ(PageShown(), k.page);
        if (k.target != bar) {
            EXPECT_TRUE(Grid(k.grid)->hasFocus()) << k.page;
        }
        EXPECT_TRUE(hint->isVisible());
    }
    // Ins now reaches the list: a new row on the IP page.
    Type(Edit("edtIPName"), "Core");
    Grid("grdIPList")->setFocus();
    QTest::keyClick(Grid("grdIPList"), Qt::Key_Insert);
    EXPECT_EQ(Rows(Grid("grdIPList")), 2);
}

TEST_F(OptionsDialogTest, AddressesOpenAndSaveUnchanged) {
    options.IpList = {{.Address = "10.0.0.1", .Name = "Core", .Listen = "Yes"},
                      {.Address = "192.168.100.200", .Name = "Edge", .Listen = "No"}};
    ipRow = 1;
    Open(TfrmOptions::PageIpList);
    EXPECT_EQ(Edit("edtIPName")->text(), "Edge"); // the entry selected in the filter explorer
    W<QPushButton>("btnIPAdd")->click();
    Type(Edit("edtIPName"), "New");
    QLineEdit* address = Edit("edtIPAddress");
    address->setFocus();
    address->setCursorPosition(0);
    QTest::keyClicks(address, "172.16.5.9");
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_TRUE(Accepted());
    const std::vector<IpEntry>& ips = dialog->Edit().IpList;
    ASSERT_EQ(ips.size(), 3u);
    EXPECT_EQ(ips[0].Address, "10.0.0.1");
    EXPECT_EQ(ips[1].Address, "192.168.100.200");
    EXPECT_EQ(ips[2].Address, "172.16.5.9");
    EXPECT_EQ(ips[2].Listen, "No");
}

// An IPv6 address is typed as it is written: the dotted mask goes at its
// first ':' or hex letter and comes back for a new row; OK stores it in
// the one form the program writes for its senders.
TEST_F(OptionsDialogTest, IPv6AddressesAreTypedWithoutTheMaskAndStoredInTheirOneForm) {
    options.IpList = {{.Address = "2001:db8::1", .Name = "Six", .Listen = "Yes"}};
    Open(TfrmOptions::PageIpList);
    QLineEdit* address = Edit("edtIPAddress");
    EXPECT_EQ(address->text(), "2001:db8::1");
    EXPECT_TRUE(address->inputMask().isEmpty());
    W<QPushButton>("btnIPAdd")->click();
    EXPECT_FALSE(address->inputMask().isEmpty()); // a new row: dotted until told otherwise
    Type(Edit("edtIPName"), "Link");
    address->setFocus();
    address->setCursorPosition(0);
    QTest::keyClicks(address, "FE80:0:0::0:1");
    EXPECT_TRUE(address->inputMask().isEmpty());
    EXPECT_EQ(address->text(), "FE80:0:0::0:1");
    W<QPushButton>("btnIPAdd")->click();
    Type(Edit("edtIPName"), "Plain");
    address->setFocus();
    address->setCursorPosition(0);
    QTest::keyClicks(address, "20");
    QTest::keyClick(address, Qt::Key_Colon);
    QTest::keyClicks(address, "1::5");
    EXPECT_EQ(address->text(), "20:1::5"); // the digits typed before the ':' kept
    QTest::mouseClick(Ok(), Qt::LeftButton);
    ASSERT_TRUE(Accepted());
    const std::vector<IpEntry>& ips = dialog->Edit().IpList;
    ASSERT_EQ(ips.size(), 3u);
    EXPECT_EQ(ips[0].Address, "2001:db8::1");
    EXPECT_EQ(ips[1].Address, "fe80::1");
    EXPECT_EQ(ips[2].Address, "20:1::5");
}

// Letters typed into the dotted field are kept, not dropped behind the
// mask ("zz::1" was stored as "::1"); OK refuses what is no address.
TEST_F(OptionsDialogTest, NothingTypedIntoTheAddressIsDroppedAndOkRefusesWhatIsNoAddress) {
    struct Case {
        const char* typed;
        const char* message;
    };
    for (const Case& c : {Case{"zz::1", "'zz::1' is not a valid IPv6 address."},
                          Case{"1x2", "'1x2' is not a valid IPv4 address."}}) {
        Open(TfrmOptions::PageIpList);
        dialogs.shown.clear();
        W<QPushButton>("btnIPAdd")->click();
        Type(Edit("edtIPName"), "Typed");
        QLineEdit* address = Edit("edtIPAddress");
        address->setFocus();
        address->setCursorPosition(0);
        QTest::keyClicks(address, c.typed);
        EXPECT_EQ(address->text(), c.typed);
        QTest::mouseClick(Ok(), Qt::LeftButton);
        ASSERT_EQ(dialogs.Messages().size(), 1u) << c.typed;
        EXPECT_TRUE(dialogs.Messages()[0].text.contains(c.message)) << dialogs.Messages()[0].text.toStdString();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(address->text(), c.typed);
        dialog->reject();
    }
}

} // namespace
