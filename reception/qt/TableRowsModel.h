// Qt table models over rows of text cells with their colours: the live
// process table and the loaded log file share the columns and the painter.
#pragma once

#include "ProcessTable.h"

#include <QAbstractTableModel>

#include <vector>

namespace qm {

class TableRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The cell colours for the painter, as ints (-1: none).
    enum Role { IdColourRole = Qt::UserRole + 1, TokenColourRole };

    using QAbstractTableModel::QAbstractTableModel;

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The row behind a view row, or null for the empty insertion row (and
    // for a row the core has already dropped but the view not yet).
    virtual const TableRow* RowAt(int row) const = 0;
};

// The live table: a window onto the ProcessTable core that catches up in
// batches. The view always ends with one empty row.
class ProcessTableModel : public TableRowsModel {
    Q_OBJECT
public:
    explicit ProcessTableModel(const ProcessTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    const TableRow* RowAt(int row) const override;

    // Brings the view up to the core: one remove range at the top, one insert
    // range before the empty row. Returns the number of rows inserted.
    int Flush();
    // True when the core has changed since the last Flush.
    bool Behind() const;

    // Absolute index (since the table was made) of view row 0.
    std::uint64_t FirstShown() const { return shownFirst_; }

private:
    const ProcessTable& table_;
    std::uint64_t shownFirst_ = 0;
    int shownCount_ = 0;
};

// Rows held by the model itself (a loaded log file), plus the empty last row.
class RowListModel : public TableRowsModel {
    Q_OBJECT
public:
    using TableRowsModel::TableRowsModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    const TableRow* RowAt(int row) const override;

    // Replaces every row in one reset.
    void SetRows(std::vector<TableRow> rows);
    void Clear() { SetRows({}); }
    int RecordCount() const { return static_cast<int>(rows_.size()); }

private:
    std::vector<TableRow> rows_;
};

} // namespace qm
