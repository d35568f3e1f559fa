#include "reception/qt/ProcessGrid.h"

#include "platform/qt/BgrColour.h"
#include "platform/qt/DisplayText.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

namespace qm {

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
    // A visible, content-sized row header makes per-row growth expensive.
    QHeaderView* rows = grid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(kRowHeight);
    rows->setDefaultSectionSize(kRowHeight);
    rows->hide();
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

void SelectInsertionRow(QTableView* grid) {
    const int last = grid->model()->rowCount() - 1;
    if (last < 0) return;
    grid->setCurrentIndex(grid->model()->index(last, 0));
    grid->selectRow(last);
    grid->scrollToBottom();
}

void GridCellPainter::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
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

int CellWidth(const QFontMetrics& metrics, const QAbstractItemModel* model, int row, int column) {
    return metrics.horizontalAdvance(model->index(row, column).data(Qt::DisplayRole).toString());
}

int HeaderWidth(QTableView* grid, int column) {
    const QFontMetrics metrics(grid->horizontalHeader()->font());
    return metrics.horizontalAdvance(
        grid->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
}

int LineWidth(QTableView* grid) {
    return grid->showGrid() ? 1 : 0;
}

} // namespace

void AutoSizeColumns(QTableView* grid) {
    const QAbstractItemModel* model = grid->model();
    if (!model) return;
    const QFontMetrics metrics(grid->font());
    for (int c = 0; c < model->columnCount(); ++c) {
        int w = HeaderWidth(grid, c);
        for (int r = 0; r < model->rowCount(); ++r)
            w = std::max(w, CellWidth(metrics, model, r, c));
        grid->setColumnWidth(c, w + LineWidth(grid) + kPadding);
    }
}

int IncrementalColumnSizer::Width(const QFontMetrics& metrics, const ProcessTableModel& model, int row,
                                  int column) {
    WidthCache& cache = cache_[static_cast<std::size_t>(column)];
    const std::string_view text = model.CellText(row, column);
    if (const auto hit = cache.find(text); hit != cache.end()) return hit->second;
    const int w =
        metrics.horizontalAdvance(DisplayText(text));
    if (cache.size() >= 4096) cache.clear(); // bounded: unique texts (messages) would grow it forever
    cache.emplace(std::string(text), w);
    return w;
}

void IncrementalColumnSizer::Reset(QTableView* grid) {
    for (WidthCache& cache : cache_)
        cache.clear(); // the font may have changed
    const auto* model = qobject_cast<const ProcessTableModel*>(grid->model());
    if (!model) return;
    for (int c = 0; c < kColumnCount; ++c)
        MeasureColumn(grid, *model, c);
    valid_ = true;
    Apply(grid);
}

void IncrementalColumnSizer::MeasureColumn(QTableView* grid, const ProcessTableModel& model, int column) {
    const QFontMetrics metrics(grid->font());
    width_[static_cast<std::size_t>(column)] = HeaderWidth(grid, column);
    holder_[static_cast<std::size_t>(column)] = -1;
    const int rows = model.rowCount() - 1; // the empty row measures nothing
    for (int r = 0; r < rows; ++r) {
        const int w = Width(metrics, model, r, column);
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
    const QFontMetrics metrics(grid->font());
    const int rows = model.rowCount() - 1;
    for (int c = 0; c < kColumnCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (holder_[i] >= 0 && holder_[i] < first) {
            MeasureColumn(grid, model, c); // the widest cell has left
            continue;
        }
        for (int r = std::max(0, rows - inserted); r < rows; ++r) {
            const int w = Width(metrics, model, r, c);
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
        const int w = width_[static_cast<std::size_t>(c)] + LineWidth(grid) + kPadding;
        if (grid->columnWidth(c) != w) grid->setColumnWidth(c, w);
    }
}

} // namespace qm
