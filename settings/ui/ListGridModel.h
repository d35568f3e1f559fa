// A read-only Qt view of a ListGrid, with its column captions, and the
// painter of its colour column.
#pragma once

#include "settings/OptionsLists.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>

namespace qm {

class ListGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ListGridModel(ListGrid& grid, QStringList captions, QObject* parent = nullptr)
        : QAbstractTableModel(parent), grid_(grid), captions_(std::move(captions)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_.RowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_.ColumnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const ListGrid& Grid() const { return grid_; }
    // After rows were added, removed or moved.
    void Reload() {
        beginResetModel();
        endResetModel();
    }
    void CellChanged(int row, int column) { emit dataChanged(index(row, column), index(row, column)); }

private:
    ListGrid& grid_;
    QStringList captions_;
};

// Draws the colour column as a swatch (the cell inset by 2 pixels) in rows
// whose key cell (column 0) is filled and whose colour is a whole number.
class ColourSwatchDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ColourSwatchDelegate(int colourColumn, QObject* parent)
        : QStyledItemDelegate(parent), column_(colourColumn) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int column_;
};

} // namespace qm
