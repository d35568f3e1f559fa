// The options dialog, driven through its real widgets and keys.
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "settings/ui/unitOptions.h"

#include <QCalendarWidget>
#include <QCheckBox>
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

namespace {

class FakeHost : public OptionsHost {
public:
    int idRow = 0, ipRow = 0;
    int prepared = 0, filled = 0, titled = 0, repainted = 0, takenOver = 0;
    int SelectedIdFilterRow() const override { return idRow; }
    int SelectedIpFilterRow() const override { return ipRow; }
    bool PrepareDayFilesForced() override {
        ++prepared;
        return true;
    }
    void FillFilterExplorer() override { ++filled; }
    void SetTitle() override { ++titled; }
    void RepaintProcessTable() override { ++repainted; }
    void OptionsTakenOver() override { ++takenOver; }
};

class OptionsDialogTest : public ::testing::Test {
protected:
    Options options;
    FakeHost host;
    qmtest::ScriptedDialogs dialogs;
    std::unique_ptr<TfrmOptions> dialog;

    TfrmOptions& Open(int page = 0) {
        dialog = std::make_unique<TfrmOptions>(options, host, dialogs);
        dialog->SelectPage(page);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void ClickTab(int index) {
        QTabBar* bar = dialog->tabPage->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        QCoreApplication::processEvents();
    }
};

TEST_F(OptionsDialogTest, RendersEveryPage) {
    options.IdList = {{"13", "Router", "Yes", "", "255", "No", "Yes"},
                      {"5", "NOTICE", "No", "", "16711680", "No", "Yes"}};
    options.IpList = {{"10.0.0.1", "Core", "Yes"}};
    options.TokenList = {{"disk", "Yes", "65280", "No"}};
    TfrmOptions& d = Open();
    const char* out = std::getenv("QM_SCREENSHOT_DIR");
    qmtest::TempDir dir;
    const std::filesystem::path folder = out ? std::filesystem::path(out) : dir.path();
    for (int page = 0; page < 5; ++page) {
        d.SelectPage(page);
        QCoreApplication::processEvents();
        const auto file = folder / ("options-page" + std::to_string(page) + ".png");
        ASSERT_TRUE(d.grab().save(QString::fromStdString(file.string())));
    }
    EXPECT_EQ(d.windowTitle(), "  Options");
    EXPECT_EQ(d.tabPage->tabText(1), "ID/Rfc Listing ");
    EXPECT_EQ(d.btnOk->text(), QString::fromUtf8("\u041E\u041A"));
}

TEST_F(OptionsDialogTest, EmptyListsTakeTheirFirstEntryFromThePanel) {
    options.General.WriteToLog = true;
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
    EXPECT_EQ(d.grdIDList->model()->rowCount(), 1);
    EXPECT_EQ(d.grdTokenList->model()->rowCount(), 1);
    EXPECT_TRUE(d.shpColor->styleSheet().contains("#ffffff"));
    EXPECT_TRUE(d.shpTokenColor->styleSheet().contains("#000000"));
    Type(d.edtIDName, "Router");
    Type(d.edtIDNumber, "13");
    QTest::mouseClick(d.chkIDListen, Qt::LeftButton);
    QTest::mouseClick(d.btnOk, Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    ASSERT_EQ(options.IdList.size(), 1u);
    EXPECT_EQ(options.IdList[0].Name, "Router");
    EXPECT_EQ(options.IdList[0].IdNumber, "13");
    EXPECT_EQ(options.IdList[0].Listen, "Yes");
    EXPECT_EQ(options.IdList[0].Color, "16777215");
    EXPECT_EQ(host.prepared, 1);
    EXPECT_EQ(host.filled, 1);
    EXPECT_EQ(host.titled, 1);
}

TEST_F(OptionsDialogTest, ShowingARowNeverWritesIntoIt) {
    options.IdList = {{"13", "Router", "", "", "255", "", ""}};
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
    d.LoadEditPanel(TfrmOptions::Lists::All);
    EXPECT_EQ(d.IdGrid().Cell(0, IdListen), "");
    EXPECT_EQ(d.IdGrid().Cell(0, IdPopup), "");
}

TEST_F(OptionsDialogTest, StandardLevelQuestion) {
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
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
    for (const Case& c : cases) {
        dialogs.shown.clear();
        dialogs.answers = {c.answer};
        Type(d.edtIDName, c.name);
        Type(d.edtIDNumber, c.number);
        d.edtIDName->setFocus(); // leaving the number field
        QCoreApplication::processEvents();
        ASSERT_EQ(dialogs.shown.size(), c.asked ? 1u : 0u) << c.name << " " << c.number;
        if (c.asked) {
            EXPECT_EQ(dialogs.shown[0].caption, "Input standart RFC value");
            EXPECT_EQ(dialogs.shown[0].text,
                      "You enter standart RFC gravity level and will be get default vaule. "
                      "Do you want to continue?");
        }
        EXPECT_EQ(d.IdGrid().Cell(0, IdName), c.nameAfter);
        EXPECT_EQ(d.IdGrid().Cell(0, IdNo), c.numberAfter);
        if (c.asked && !c.answer) {
            EXPECT_TRUE(d.edtIDNumber->hasFocus());
        }
        dialogs.answers.clear();
        d.edtIDNumber->clear();
        d.edtIDName->setFocus();
        QCoreApplication::processEvents();
    }
}

TEST_F(OptionsDialogTest, ListKeys) {
    options.IdList = {{"13", "Router", "Yes", "", "255", "No", "Yes"},
                      {"14", "Switch", "Yes", "", "1", "No", "No"}};
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
    d.grdIDList->setFocus();
    QTest::keyClick(d.grdIDList, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_TRUE(d.popIDAdd->isVisible());
    d.popIDAdd->hide();
    QTest::keyClick(d.grdIDList, Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(dialogs.shown.empty());
    dialogs.answers = {true};
    QTest::keyClick(d.edtIDName, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Delete ID");
    EXPECT_EQ(dialogs.shown[0].text, "Do you want to delete this ID Listen Number entire?");
    EXPECT_EQ(d.IdGrid().RowCount(), 1);
    EXPECT_EQ(d.edtIDName->text(), "Switch");
    EXPECT_EQ(d.IdGrid().Cell(0, IdPopup), "No");

    // On OK or Cancel the keys act on the list shown, and on nothing on General.
    d.SelectPage(TfrmOptions::PageTokenList);
    d.TokenGrid().SetCell(0, TkToken, "disk");
    QTest::keyClick(d.btnCancel, Qt::Key_Insert);
    EXPECT_EQ(d.TokenGrid().RowCount(), 2);
    d.SelectPage(TfrmOptions::PageGeneral);
    QTest::keyClick(d.btnOk, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(d.TokenGrid().RowCount(), 2);
}

TEST_F(OptionsDialogTest, PresetMenuItems) {
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
    auto* all = d.popIDAdd->findChild<QAction*>("popAll");
    ASSERT_TRUE(all);
    QStringList captions;
    for (QAction* a : d.popIDAdd->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions[4], "Add standart RFC Gravity Level (4 - WARNING)");
    EXPECT_EQ(captions[8], "-");
    EXPECT_EQ(captions[10], "-");
    EXPECT_EQ(captions[11], "Add ID for especially listen (0...191 - USER)");
    all->trigger();
    EXPECT_EQ(d.IdGrid().RowCount(), 8);
    EXPECT_EQ(d.edtIDName->text(), "DEBUG");
    d.popIDAdd->findChild<QAction*>("pop8")->trigger();
    EXPECT_EQ(d.IdGrid().RowCount(), 9);
    EXPECT_TRUE(d.edtIDName->hasFocus());
    d.popIDAdd->findChild<QAction*>("pop8")->trigger(); // the blank last row is not complete
    EXPECT_EQ(d.IdGrid().RowCount(), 9);
}

TEST_F(OptionsDialogTest, ColoursNeedANamedRow) {
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
    dialogs.colors = {QColor(255, 0, 0)};
    QTest::mouseClick(d.btnChooseColor, Qt::LeftButton);
    EXPECT_EQ(d.IdGrid().Cell(0, IdColor), "");
    EXPECT_EQ(host.repainted, 1);
    Type(d.edtIDName, "Router");
    dialogs.colors = {QColor(0, 0, 255)};
    QTest::mouseClick(d.btnChooseColor, Qt::LeftButton);
    EXPECT_EQ(d.IdGrid().Cell(0, IdColor), "16711680");
    dialogs.colors = {QColor()}; // cancelled
    QTest::mouseClick(d.btnChooseColor, Qt::LeftButton);
    EXPECT_EQ(d.IdGrid().Cell(0, IdColor), "16711680");
    EXPECT_EQ(host.repainted, 3);
}

TEST_F(OptionsDialogTest, HoldingTheSpinButtonRepeats) {
    for (const char* t : {"t1", "t2", "t3", "t4", "t5"})
        options.TokenList.push_back({t, "Yes", "1", "No"});
    TfrmOptions& d = Open(TfrmOptions::PageTokenList);
    QTest::mousePress(d.btnTopDownBottom, Qt::LeftButton);
    EXPECT_EQ(d.TokenGrid().Cell(1, TkToken), "t1"); // one step on pressing
    EXPECT_TRUE(d.tmrTokenRepeat->isActive());
    EXPECT_EQ(d.tmrTokenRepeat->interval(), 400);
    d.TokenRepeatTick();
    EXPECT_EQ(d.tmrTokenRepeat->interval(), 100);
    d.TokenRepeatTick();
    d.TokenRepeatTick();
    EXPECT_EQ(d.TokenGrid().Cell(4, TkToken), "t1");
    EXPECT_EQ(d.edtToken->text(), "t1");
    QTest::mouseRelease(d.btnTopDownBottom, Qt::LeftButton);
    EXPECT_FALSE(d.tmrTokenRepeat->isActive());
    QTest::mouseClick(d.btnTopDownTop, Qt::LeftButton);
    EXPECT_EQ(d.TokenGrid().Cell(3, TkToken), "t1");
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
        dialog->chkStayOnTop->setChecked(true);
        Type(dialog->edtPort, c.port);
        dialog->edtLimitRows->setText(c.limit);
        QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        ASSERT_EQ(dialogs.Messages().size(), 1u) << c.port;
        EXPECT_EQ(dialogs.Messages()[0].text, c.message);
        EXPECT_EQ(dialogs.Messages()[0].caption, "Quillmere Light");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(options.General.StayOnTop); // nothing taken over
        EXPECT_EQ(dialog->edtPort->text(), c.port);
    }
    dialog->edtPort->setText("1514");
    dialog->edtLimitRows->setText("0");
    QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
    EXPECT_EQ(options.General.Port, 1514);
    EXPECT_EQ(options.General.LimitRows, 0);
}

TEST_F(OptionsDialogTest, ListErrorsKeepTheDialogOpen) {
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
    Type(d.edtIDName, "Core,");
    QTest::mouseClick(d.btnOk, Qt::LeftButton);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Error on input parameters");
    EXPECT_EQ(dialogs.Messages()[0].icon, BoxIcon::Error);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.ClosePermitted());
    d.close(); // Alt+F4 is refused too
    EXPECT_TRUE(d.isVisible());
}

TEST_F(OptionsDialogTest, CancelAndEscapeDropEveryEdit) {
    options.IdList = {{"13", "Router", "Yes", "", "255", "No", "Yes"}};
    const Options before = options;
    TfrmOptions& d = Open(TfrmOptions::PageIdList);
    Type(d.edtIDName, "Changed");
    d.chkWriteToLog->setChecked(true);
    d.SelectPage(TfrmOptions::PageTokenList);
    Type(d.edtToken, "new");
    QTest::keyClick(d.grdTokenList, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(options.IdList[0].Name, "Router");
    EXPECT_TRUE(options.TokenList.empty());
    EXPECT_FALSE(options.General.WriteToLog);
    EXPECT_EQ(host.filled + host.titled, 0);
}

TEST_F(OptionsDialogTest, EnterIsOk) {
    TfrmOptions& d = Open();
    d.chkAutoSizeGrid->setChecked(true);
    QTest::keyClick(d.chkAutoSizeGrid, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(options.General.AutoSizeGrid);
}

TEST_F(OptionsDialogTest, CalendarClickChoosesTheUserDate) {
    options.UserDate = {2026, 12, 6, 10, 0, 0};
    TfrmOptions& d = Open(TfrmOptions::PageSetDate);
    EXPECT_FALSE(d.chkUseUserDate->isChecked());
    d.dtpDate->setSelectedDate(QDate(2025, 1, 1));
    auto* view = d.dtpDate->findChild<QAbstractItemView*>();
    ASSERT_TRUE(view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(d.chkUseUserDate->isChecked());
    d.dtpDate->setSelectedDate(QDate(2025, 1, 1));
    QTest::mouseClick(d.btnOk, Qt::LeftButton);
    EXPECT_TRUE(options.UseUserDate);
    EXPECT_EQ(options.UserDate.year, 2025);
    EXPECT_EQ(options.UserDate.month, 1);
    EXPECT_EQ(options.UserDate.day, 1);
}

TEST_F(OptionsDialogTest, HintFollowsTheOperatorsPageChanges) {
    TfrmOptions& d = Open(TfrmOptions::PageIpList);
    EXPECT_EQ(d.tabPage->currentWidget()->objectName(), "tabIPList");
    EXPECT_FALSE(d.labHint->isVisible());
    ClickTab(TfrmOptions::PageGeneral);
    EXPECT_FALSE(d.labHint->isVisible());
    ClickTab(TfrmOptions::PageIdList);
    EXPECT_TRUE(d.labHint->isVisible());
    EXPECT_TRUE(d.grdIDList->hasFocus());
    EXPECT_EQ(d.labHint->text(), "Ins - Add position, Ctrl+Del - Delete position");
}

TEST_F(OptionsDialogTest, AddressesOpenAndSaveUnchanged) {
    options.IpList = {{"10.0.0.1", "Core", "Yes"}, {"192.168.100.200", "Edge", "No"}};
    host.ipRow = 1;
    TfrmOptions& d = Open(TfrmOptions::PageIpList);
    EXPECT_EQ(d.edtIPName->text(), "Edge"); // the entry selected in the filter explorer
    d.btnIPAdd->click();
    Type(d.edtIPName, "New");
    d.edtIPAddress->setFocus();
    d.edtIPAddress->setCursorPosition(0);
    QTest::keyClicks(d.edtIPAddress, "172.16.5.9");
    QTest::mouseClick(d.btnOk, Qt::LeftButton);
    ASSERT_EQ(options.IpList.size(), 3u);
    EXPECT_EQ(options.IpList[0].Address, "10.0.0.1");
    EXPECT_EQ(options.IpList[1].Address, "192.168.100.200");
    EXPECT_EQ(options.IpList[2].Address, "172.16.5.9");
    EXPECT_EQ(options.IpList[2].Listen, "No");
}

} // namespace
