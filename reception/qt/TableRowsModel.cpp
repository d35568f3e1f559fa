#include "reception/qt/TableRowsModel.h"

#include "platform/qt/DisplayText.h"
#include "reception/LogFiles.h"
#include "reception/qt/CellText.h"

#include <QTimer>

#include <algorithm>

namespace qm {

int TableRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TableRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (!HasRow(index.row())) return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return ShownCellText(CellText(index.row(), index.column()));
    case WholeTextRole:
        return DisplayText(CellText(index.row(), index.column()));
    case IdColourRole:
        return IdColourOf(index.row());
    case TokenColourRole:
        return TokenColourOf(index.row());
    default:
        return {};
    }
}

QVariant TableRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return QString::fromLatin1(kColumns[static_cast<std::size_t>(section)].header);
}

ProcessTableModel::ProcessTableModel(const ProcessTable& table, QObject* parent)
    : TableRowsModel(parent), table_(table), shownFirst_(table.Removed()), flushTimer_(new QTimer(this)) {
    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(kFlushIntervalMs);
    connect(flushTimer_, &QTimer::timeout, this, &ProcessTableModel::Flush);
}

void ProcessTableModel::RowsChanged() {
    if (!flushTimer_->isActive() && Behind()) flushTimer_->start();
}

int ProcessTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCount_ + 1;
}

const TableRow* ProcessTableModel::RowAt(int row) const {
    if (row < 0 || row >= shownCount_) return nullptr;
    const std::uint64_t absolute = shownFirst_ + static_cast<std::uint64_t>(row);
    if (absolute < table_.Removed() || absolute >= table_.Added()) return nullptr;
    return &table_.Message(static_cast<int>(absolute - table_.Removed()));
}

std::string_view ProcessTableModel::CellText(int row, int column) const {
    const TableRow* r = RowAt(row);
    return r ? std::string_view(r->cells[static_cast<std::size_t>(column)]) : std::string_view();
}

int ProcessTableModel::IdColourOf(int row) const {
    const TableRow* r = RowAt(row);
    return r ? r->idColour : -1;
}

int ProcessTableModel::TokenColourOf(int row) const {
    const TableRow* r = RowAt(row);
    return r ? r->tokenColour : -1;
}

bool ProcessTableModel::Behind() const {
    return shownFirst_ != table_.Removed() ||
           shownFirst_ + static_cast<std::uint64_t>(shownCount_) != table_.Added();
}

int ProcessTableModel::Flush() {
    const std::uint64_t coreFirst = table_.Removed();
    const std::uint64_t coreEnd = table_.Added();

    // Rows the core has dropped since the last flush leave from the top.
    if (coreFirst > shownFirst_ && shownCount_ > 0) {
        const int drop = static_cast<int>(std::min<std::uint64_t>(coreFirst - shownFirst_, shownCount_));
        emit Trimming(drop);
        beginRemoveRows({}, 0, drop - 1);
        shownFirst_ += static_cast<std::uint64_t>(drop);
        shownCount_ -= drop;
        endRemoveRows();
    }
    if (shownCount_ == 0) shownFirst_ = std::max(shownFirst_, coreFirst);

    // New rows still held by the core go in before the empty row.
    const std::uint64_t from = std::max(shownFirst_ + static_cast<std::uint64_t>(shownCount_), coreFirst);
    const int add = coreEnd > from ? static_cast<int>(coreEnd - from) : 0;
    if (add > 0) {
        beginInsertRows({}, shownCount_, shownCount_ + add - 1);
        shownCount_ += add;
        endInsertRows();
    }
    emit Flushed(add);
    return add;
}

int LogViewerModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return loaded_ ? content_.RowCount() : 1;
}

std::string_view LogViewerModel::CellText(int row, int column) const {
    if (column < 0 || column >= kViewerColumns || !HasRow(row)) return {};
    if (row != splitRow_) {
        splitFields_ = content_.Fields(row);
        splitRow_ = row;
    }
    return splitFields_[static_cast<std::size_t>(column)];
}

TableRowsModel::RowBytes LogViewerModel::BytesOfRow(int row) const {
    if (!HasRow(row)) return {};
    return {content_.Line(row), kLogFieldSeparator};
}

void LogViewerModel::SetContent(LogFileContent content) {
    beginResetModel();
    content_ = std::move(content);
    loaded_ = true;
    splitRow_ = -1;
    endResetModel();
}

void LogViewerModel::Clear() {
    beginResetModel();
    content_.Clear();
    loaded_ = false;
    splitRow_ = -1;
    endResetModel();
}

} // namespace qm
