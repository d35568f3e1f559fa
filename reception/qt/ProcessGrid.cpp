#include "reception/qt/ProcessGrid.h"

#include "platform/qt/BgrColour.h"
#include "platform/qt/DisplayText.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

namespace qm {

namespace {

// A visible, content-sized row header makes per-row growth expensive.
void SetupRowHeader(QHeaderView* rows) {
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(kRowHeight);
    rows->setDefaultSectionSize(kRowHeight);
    rows->hide();
}

} // namespace

void SetupGrid(QTableView* grid, bool resizableColumns) {
    QFont font(QStringLiteral("MS Serif"));
    // A bitmap font Qt cannot draw: the nearest TrueType serif stands in.
    font.setFamilies({QStringLiteral("MS Serif"), QStringLiteral("Times New Roman")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(9);
    grid->setFont(font);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, Qt::white);
    grid->setPalette(palette);
    grid->setShowGrid(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->setTextElideMode(Qt::ElideNone);
    grid->setCornerButtonEnabled(false);
    grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    SetupRowHeader(grid->verticalHeader());
    QHeaderView* columns = grid->horizontalHeader();
    columns->setDefaultSectionSize(kDefaultColumnWidth);
    columns->setMinimumSectionSize(8);
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    columns->setSectionResizeMode(resizableColumns ? QHeaderView::Interactive : QHeaderView::Fixed);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->setItemDelegate(new GridCellPainter(grid));
}

void ReleaseRowStorage(QTableView* grid) {
    // The row header keeps room for every row it ever had (Qt's lists keep
    // their capacity when cleared); a new one starts small.
    auto* rows = new QHeaderView(Qt::Vertical, grid);
    SetupRowHeader(rows);
    grid->setVerticalHeader(rows);
}

void SelectInsertionRow(QTableView* grid) {
    const int last = grid->model()->rowCount() - 1;
    if (last < 0) return;
    grid->setCurrentIndex(grid->model()->index(last, 0));
    grid->selectRow(last);
    grid->scrollToBottom();
}

void GridCellPainter::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (matcher_ && !matcher_->Empty()) {
        const auto* model = qobject_cast<const TableRowsModel*>(index.model());
        if (model && model->HasRow(index.row()) && matcher_->Matches(model->CellText(index.row(), index.column())))
            option->backgroundBrush = QColor(255, 230, 110);
    }
    const int column = index.column();
    if (column != ColDate && column != ColMessage && column != ColName) return;
    int colour = index.data(TableRowsModel::IdColourRole).toInt();
    if (!index.data(TableRowsModel::IdColourRole).isValid()) colour = -1;
    if (column == ColMessage) {
        const QVariant token = index.data(TableRowsModel::TokenColourRole);
        if (token.isValid() && token.toInt() >= 0) colour = token.toInt();
    }
    if (colour < 0) return;
    // Both roles, so the selected row keeps the colour too.
    const QColor c = ColourFromBgr(colour);
    option->palette.setColor(QPalette::Text, c);
    option->palette.setColor(QPalette::HighlightedText, c);
}

namespace {

constexpr int kPadding = 15;

int HeaderWidth(QTableView* grid, int column) {
    const QFontMetrics metrics(grid->horizontalHeader()->font());
    return metrics.horizontalAdvance(
        grid->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
}

int LineWidth(QTableView* grid) {
    return grid->showGrid() ? 1 : 0;
}

} // namespace

int ColumnWidthFor(QTableView* grid, int column, int widestText) {
    return std::max(HeaderWidth(grid, column), widestText) + LineWidth(grid) + kPadding;
}

void AutoSizeColumns(QTableView* grid) {
    const auto* model = qobject_cast<const TableRowsModel*>(grid->model());
    if (!model) return;
    CellTextWidths widths(grid->font());
    std::array<int, kColumnCount> widest{};
    WidenToTexts(widest, 0, model->rowCount(), [&](int r, int c) { return model->CellText(r, c); }, widths);
    for (int c = 0; c < kColumnCount; ++c)
        grid->setColumnWidth(c, ColumnWidthFor(grid, c, widest[static_cast<std::size_t>(c)]));
}

int IncrementalColumnSizer::Width(const ProcessTableModel& model, int row, int column) {
    return widths_->Width(model.CellText(row, column));
}

void IncrementalColumnSizer::Reset(QTableView* grid) {
    widths_ = std::make_unique<CellTextWidths>(grid->font()); // the font may have changed
    const auto* model = qobject_cast<const ProcessTableModel*>(grid->model());
    if (!model) return;
    for (int c = 0; c < kColumnCount; ++c)
        MeasureColumn(grid, *model, c);
    valid_ = true;
    Apply(grid);
}

void IncrementalColumnSizer::MeasureColumn(QTableView* grid, const ProcessTableModel& model, int column) {
    width_[static_cast<std::size_t>(column)] = HeaderWidth(grid, column);
    holder_[static_cast<std::size_t>(column)] = -1;
    const int rows = model.rowCount() - 1; // the empty row measures nothing
    for (int r = 0; r < rows; ++r) {
        const int w = Width(model, r, column);
        if (w >= width_[static_cast<std::size_t>(column)] && w > 0) {
            width_[static_cast<std::size_t>(column)] = w;
            holder_[static_cast<std::size_t>(column)] = static_cast<std::int64_t>(model.FirstShown()) + r;
        }
    }
}

void IncrementalColumnSizer::Update(QTableView* grid, const ProcessTableModel& model, int inserted) {
    if (!valid_) {
        Reset(grid);
        return;
    }
    const auto first = static_cast<std::int64_t>(model.FirstShown());
    const int rows = model.rowCount() - 1;
    for (int c = 0; c < kColumnCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (holder_[i] >= 0 && holder_[i] < first) {
            MeasureColumn(grid, model, c); // the widest cell has left
            continue;
        }
        for (int r = std::max(0, rows - inserted); r < rows; ++r) {
            const int w = Width(model, r, c);
            // Ties move to the newer row, which stays longer.
            if (w >= width_[i] && w > 0) {
                width_[i] = w;
                holder_[i] = first + r;
            }
        }
    }
    Apply(grid);
}

void IncrementalColumnSizer::Apply(QTableView* grid) {
    for (int c = 0; c < kColumnCount; ++c) {
        const int w = ColumnWidthFor(grid, c, width_[static_cast<std::size_t>(c)]);
        if (grid->columnWidth(c) != w) grid->setColumnWidth(c, w);
    }
}

} // namespace qm
