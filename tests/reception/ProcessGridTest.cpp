// The live table's Qt side: model contract, batching, painter, sizing.
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/CellText.h"
#include "reception/ProcessTable.h"
#include "reception/qt/TableRowsModel.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <gtest/gtest.h>

using namespace qm;

namespace {

SyslogMessage Msg(const std::string& text, const std::string& cid = "", const std::string& ctk = "") {
    SyslogMessage m;
    m.Stamp = "06.12.26 21:12:19";
    m.SenderText = "10.0.0.9";
    m.MessageText = text;
    m.IdName = "Router";
    m.SourceLevel = "1 (USER)/5";
    m.SenderPort = 514;
    m.IdColour = cid;
    m.TokenColour = ctk;
    return m;
}

void AddTrimmed(ProcessTable& t, const SyslogMessage& m, int limit) {
    t.AddRow(m);
    t.TrimProcessTable(limit);
}

TEST(ProcessTableModel, CatchesUpInOneRemoveAndOneInsert) {
    ProcessTable table;
    ProcessTableModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 1); // the empty insertion row
    EXPECT_EQ(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), "Source/Level");

    int removes = 0, inserts = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&] { ++removes; });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserts; });
    for (int i = 0; i < 3; ++i)
        AddTrimmed(table, Msg("m" + std::to_string(i)), 5);
    EXPECT_TRUE(model.Behind());
    EXPECT_EQ(model.Flush(), 3);
    EXPECT_EQ(model.rowCount(), 4);
    for (int i = 3; i < 10; ++i)
        AddTrimmed(table, Msg("m" + std::to_string(i)), 5);
    // Between flushes the view never shows another row's text in a stale row.
    EXPECT_EQ(model.index(0, ColMessage).data().toString(), "");
    model.Flush();
    EXPECT_EQ(removes, 1);
    EXPECT_EQ(inserts, 2);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.index(0, ColMessage).data().toString(), "m7");
    EXPECT_EQ(model.index(2, ColMessage).data().toString(), "m9");
    EXPECT_EQ(model.index(3, ColMessage).data().toString(), "");
    EXPECT_FALSE(model.Behind());

    for (int i = 0; i < 100; ++i)
        AddTrimmed(table, Msg("burst"), 5); // far more than the limit
    model.Flush();
    EXPECT_EQ(model.rowCount(), 4);
    table.Clear();
    model.Flush();
    EXPECT_EQ(model.rowCount(), 1);
}

class PainterTest : public ::testing::Test {
protected:
    ProcessTable table;
    ProcessTableModel model{table};
    QTableView grid;

    void SetUp() override {
        SetupGrid(&grid, false);
        QFont big = grid.font();
        big.setPixelSize(22); // solid glyph strokes for the pixel checks
        grid.setFont(big);
        grid.verticalHeader()->setDefaultSectionSize(30);
        grid.setModel(&model);
        grid.resize(900, 200);
        grid.show();
    }

    // Counts strongly red, green and blue-free dark pixels in a cell.
    struct Ink {
        int red = 0, green = 0, dark = 0;
    };
    Ink InkIn(int row, int column) {
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cell = grid.visualRect(model.index(row, column));
        Ink ink;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 170 && c.green() < 90 && c.blue() < 90) ++ink.red;
                if (c.green() > 90 && c.red() < 60 && c.blue() < 60) ++ink.green;
                if (c.red() < 60 && c.green() < 60 && c.blue() < 60) ++ink.dark;
            }
        return ink;
    }
};

TEST_F(PainterTest, IdColourOnDateMessageNameAndTokenColourOverMessage) {
    table.AddRow(Msg("MMMMMM", "255", "65280"));
    table.AddRow(Msg("MMMMMM", "0", "255"));
    table.AddRow(Msg("MMMMMM", "oops", "12x"));
    model.Flush();
    grid.resizeColumnsToContents();

    EXPECT_GT(InkIn(0, ColDate).red, 0);
    EXPECT_GT(InkIn(0, ColName).red, 0);
    EXPECT_GT(InkIn(0, ColMessage).green, 0);
    EXPECT_EQ(InkIn(0, ColMessage).red, 0);
    EXPECT_EQ(InkIn(0, ColTag).red, 0); // other columns keep the grid's colour
    EXPECT_GT(InkIn(0, ColSourceLevel).dark, 0);
    EXPECT_EQ(InkIn(0, ColIdColour).red, 0);

    EXPECT_EQ(InkIn(1, ColDate).red, 0); // cID "0": no colour
    EXPECT_GT(InkIn(1, ColDate).dark, 0);
    EXPECT_GT(InkIn(1, ColMessage).red, 0);

    EXPECT_EQ(InkIn(2, ColDate).red + InkIn(2, ColDate).green, 0); // not integers: no colour
    EXPECT_GT(InkIn(2, ColMessage).dark, 0);
}

TEST_F(PainterTest, SelectedRowKeepsTheColour) {
    table.AddRow(Msg("MMMMMM", "255", ""));
    model.Flush();
    grid.resizeColumnsToContents();
    grid.selectRow(0);
    EXPECT_GT(InkIn(0, ColName).red, 0);
}

TEST(GridSetup, LooksAsTheTablesShould) {
    QTableView process, viewer;
    SetupGrid(&process, false);
    SetupGrid(&viewer, true);
    LogViewerModel model;
    process.setModel(&model);
    viewer.setModel(&model);
    EXPECT_EQ(process.horizontalHeader()->sectionSize(0), 90);
    EXPECT_EQ(process.rowHeight(0), 14);
    EXPECT_FALSE(process.verticalHeader()->isVisible());
    EXPECT_EQ(process.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(viewer.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(process.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(process.palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_TRUE(process.showGrid());
}

TEST(IncrementalColumnSizer, AlwaysEqualsAFullMeasurement) {
    ProcessTable table;
    ProcessTableModel model(table);
    QTableView grid, reference;
    SetupGrid(&grid, false);
    SetupGrid(&reference, false);
    grid.setModel(&model);
    reference.setModel(&model);
    IncrementalColumnSizer sizer;
    sizer.Reset(&grid);
    unsigned seed = 7;
    for (int round = 0; round < 60; ++round) {
        for (int k = 0; k < 1 + round % 4; ++k) {
            seed = seed * 1103515245 + 12345;
            const int len = static_cast<int>((seed >> 16) % 40);
            AddTrimmed(table, Msg(std::string(static_cast<std::size_t>(len), 'W'), std::to_string(len)), 8);
        }
        const int inserted = model.Flush();
        sizer.Update(&grid, model, inserted);
        AutoSizeColumns(&reference);
        for (int c = 0; c < kColumnCount; ++c)
            ASSERT_EQ(grid.columnWidth(c), reference.columnWidth(c)) << "round " << round << " column " << c;
    }
}

// Widths summed from characters and kerned pairs are exactly what text
// layout gives, for text of every kind a sender or a file can hold: in the
// grid's font and in a kerned proportional one, across a sweep of random texts.
TEST(CellTextWidths, EqualTextLayoutForAnyText) {
    const std::vector<std::string> pieces = {
        "A", "V", "T", "o", "W", "a", "y", ".", ",", "f", "i", "l", " ", "1", "-", "\t", "\t",
        "\xC3\xB6", "\xC3\x85", "\xD0\xB6", "\xCE\xA9", "\xE2\x80\x94", "\xE2\x82\xAC", "\xC2\xAD",
        std::string(1, '\0'), "\x1B", "\x7F", "\xE9", "\x85",                     // controls; Windows-1252 bytes
        "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "e\xCC\x81", "\xD8\xB3\xD9\x84", // CJK, emoji, combining, Arabic
    };
    QTableView grid;
    SetupGrid(&grid, true);
    QFont kerned(QStringLiteral("DejaVu Sans"));
    kerned.setPixelSize(17);
    for (const QFont& font : {grid.font(), kerned}) {
        CellTextWidths widths(font);
        const QFontMetrics metrics(font);
        unsigned seed = 12345;
        const auto next = [&] { return (seed = seed * 1103515245 + 12345) >> 16; };
        for (int n = 0; n < 3000; ++n) {
            std::string text;
            const unsigned length = n < 2990 ? next() % 24 : 1200 + next() % 4000; // a few past what a cell shows
            while (text.size() < length)
                text += pieces[next() % pieces.size()];
            ASSERT_EQ(widths.Width(text), metrics.horizontalAdvance(ShownCellText(text)))
                << font.family().toStdString() << ": " << QByteArray::fromStdString(text).toHex().left(200).toStdString();
        }
    }
}

TEST(SelectInsertionRow, SelectsTheEmptyLastRow) {
    ProcessTable table;
    ProcessTableModel model(table);
    QTableView grid;
    SetupGrid(&grid, false);
    grid.setModel(&model);
    for (int i = 0; i < 3; ++i)
        table.AddRow(Msg("x"));
    model.Flush();
    SelectInsertionRow(&grid);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    ASSERT_EQ(grid.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(grid.selectionModel()->selectedRows()[0].row(), 3);
}

} // namespace
