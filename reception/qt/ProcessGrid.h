// The look of grdProcess and grdViewer: columns, fonts, the colour painter,
// and column auto-sizing.
#pragma once

#include "reception/qt/CellText.h"
#include "reception/qt/TableFind.h"
#include "reception/qt/TableRowsModel.h"

#include <QStyledItemDelegate>

#include <array>
#include <cstdint>
#include <string>
#include <memory>
#include <string_view>

class QTableView;

namespace qm {

inline constexpr int kDefaultColumnWidth = 90;
inline constexpr int kRowHeight = 14;

// White grid with lines, whole-row selection, fixed 14-pixel rows with the
// row header hidden, 90-pixel columns; only grdViewer's columns resize by mouse.
void SetupGrid(QTableView* grid, bool resizableColumns);

// After a table of many rows was cleared: gives back the view's own storage
// for them (about 8 bytes a row).
void ReleaseRowStorage(QTableView* grid);

// Selects the empty last row, which scrolls the newest message into view.
void SelectInsertionRow(QTableView* grid);


// grdProcessDrawCell: Date, Message and Name in the row's ID colour, the
// Message in the token colour over it; the selected row keeps the colour.
class GridCellPainter : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The cells `matcher` matches get a highlight (the find bar); null for none.
    void HighlightMatches(const TextMatcher* matcher) { matcher_ = matcher; }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    const TextMatcher* matcher_ = nullptr;
};

// Every column as wide as its widest cell (header and empty row included)
// plus the grid line and 15 pixels.
void AutoSizeColumns(QTableView* grid);
// That width for a column whose widest cell text is `widestText` pixels.
int ColumnWidthFor(QTableView* grid, int column, int widestText);

// AutoSizeColumns for the live table, kept up to date row by row: new rows
// widen a column, and a column is measured again only when its widest cell
// has left.
class IncrementalColumnSizer {
public:
    // Measures everything the view shows now.
    void Reset(QTableView* grid);
    // After ProcessTableModel::Flush: `inserted` rows were added at the end.
    void Update(QTableView* grid, const ProcessTableModel& model, int inserted);

private:
    void MeasureColumn(QTableView* grid, const ProcessTableModel& model, int column);
    void Apply(QTableView* grid);
    int Width(const ProcessTableModel& model, int row, int column);

    std::array<int, kColumnCount> width_{};
    // Absolute row index of the widest cell; -1 for the header (never leaves).
    std::array<std::int64_t, kColumnCount> holder_{};
    std::unique_ptr<CellTextWidths> widths_;
    bool valid_ = false;
};

} // namespace qm
