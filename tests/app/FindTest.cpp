// Find without filtering: Ctrl+F, Enter and Shift+Enter, wrapping, Match
// case, Esc; and the live table's selection staying put while the bar is open.
#include "AppFixture.h"
#include "support/DayFileLine.h"
#include "reception/LogFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

using namespace qm;

namespace {

class FindTest : public qmtest::AppFixture {
protected:
    QLineEdit* Field() { return Find<QLineEdit>("edtFind"); }
    QString Note() { return Find<QLabel>("labFindNote")->text(); }
    int CurrentRow(QTableView* grid) { return grid->currentIndex().row(); }
};

TEST_F(FindTest, FindsEveryMatchInTurnAndWraps) {
    Start(false);
    std::string text;
    for (const char* message : {"alpha one", "beta", "Alpha two", "gamma", "ALPHA three"}) {
        text += qmtest::DayFileLine({.message = message, .sourceLevel = "13"});
    }
    qmtest::WriteFile(dir / "find.log", text);
    dialogs.files = {QString::fromStdString((dir / "find.log").string())};
    OpenLog();
    Viewer()->setCurrentIndex(Viewer()->model()->index(0, 0));

    QTest::keyClick(Viewer(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(Find<QWidget>("barFind")->isVisible());
    EXPECT_TRUE(Field()->hasFocus());
    QTest::keyClicks(Field(), "alpha");
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(CurrentRow(Viewer()), 0); // the next match after the first cell of row 0
    EXPECT_EQ(Viewer()->currentIndex().column(), ColMessage);
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(CurrentRow(Viewer()), 2); // case folded
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(CurrentRow(Viewer()), 4);
    EXPECT_EQ(Note(), "");
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(CurrentRow(Viewer()), 0);
    EXPECT_EQ(Note(), "Passed the end: went on from the top");
    QTest::keyClick(Field(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(CurrentRow(Viewer()), 4);
    EXPECT_EQ(Note(), "Passed the top: went on from the end");

    Find<QCheckBox>("chkMatchCase")->click();
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(CurrentRow(Viewer()), 0); // only "alpha one" has this case
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(CurrentRow(Viewer()), 0);
    Field()->setText("delta");
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(Note(), "No match");

    QTest::keyClick(Field(), Qt::Key_Escape);
    EXPECT_FALSE(Find<QWidget>("barFind")->isVisible());
    EXPECT_TRUE(Viewer()->hasFocus());
}

// While the bar is open on the live table, new messages arrive and trim,
// but the selection stays on the operator's row; once that row is trimmed
// away nothing is selected. Closing the bar follows the newest row again.
TEST_F(FindTest, TheLiveTableKeepsTheOperatorsRowWhileFinding) {
    store.WriteText(kGeneralKey, "AutoListen", "1");
    store.WriteText(kGeneralKey, "LimitRows", "7"); // five messages
    TfrmUDP& w = Start();
    for (int i = 0; i < 3; ++i)
        Send("<13>app: first " + QByteArray::number(i) + "!");
    ASSERT_TRUE(WaitUntil([&] { return Records() == 3; }));
    w.FlushProcessTable();
    Act("actFind")->trigger();
    Process()->selectRow(1);
    Send("<13>app: more!");
    ASSERT_TRUE(WaitUntil([&] { return Records() == 4; }));
    w.FlushProcessTable();
    EXPECT_EQ(CurrentRow(Process()), 1);
    EXPECT_EQ(qmtest::CellText(Process(), 1, ColMessage), " first 1");

    for (int i = 0; i < 3; ++i)
        Send("<13>app: trimming " + QByteArray::number(i) + "!");
    ASSERT_TRUE(WaitUntil([&] { return window->Health().reader.received == 7; }));
    ASSERT_TRUE(WaitUntil([&] { return window->ReceptionState().Counts().admitted == 7; }));
    w.FlushProcessTable();
    EXPECT_TRUE(Process()->selectionModel()->selectedRows().isEmpty()); // "first 1" is gone

    QTest::keyClick(Field(), Qt::Key_Escape);
    EXPECT_EQ(CurrentRow(Process()), qmtest::Rows(Process()) - 1); // the empty last row again
}

} // namespace

namespace {

// While the live table's view lags behind its rows (it still shows rows the
// table has trimmed since), Enter searches what the view shows once it has
// caught up: never "No match" while matches are on the screen.
TEST_F(FindTest, FindsInTheLiveTableWhileItsViewLagsBehind) {
    store.WriteText(kGeneralKey, "LimitRows", "50");
    Start();
    Act("actStartProcess")->trigger();
    for (int i = 0; i < 48; ++i)
        Send("<13>a: needle " + QByteArray::number(i) + "!");
    ASSERT_TRUE(WaitUntil([&] { return qmtest::Rows(Process()) == 49; })); // 48 rows and the empty one
    // The view's catching up held back while 100 more arrive and push the shown rows out.
    auto* flush = Process()->model()->findChild<QTimer*>();
    ASSERT_TRUE(flush);
    flush->blockSignals(true);
    for (int i = 0; i < 100; ++i)
        Send("<13>a: needle later " + QByteArray::number(i) + "!");
    ASSERT_TRUE(WaitUntil([&] { return window->ReceptionState().Counts().admitted == 148; }));
    ASSERT_EQ(qmtest::Rows(Process()), 49);
    QTest::keyClick(Process(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(Field(), "needle");
    QTest::keyClick(Field(), Qt::Key_Return);
    flush->blockSignals(false);
    EXPECT_NE(Note(), "No match");
    const QModelIndex found = Process()->currentIndex();
    ASSERT_TRUE(found.isValid());
    EXPECT_TRUE(found.data().toString().contains("needle later")) << found.data().toString().toStdString();
}

} // namespace
