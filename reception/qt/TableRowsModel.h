// Qt table models over rows of text cells with their colours: the live
// process table and the loaded log file share the columns and the painter.
#pragma once

#include "reception/LogFileReader.h"
#include "reception/ProcessTable.h"

#include <QAbstractTableModel>

class QTimer;

#include <vector>

namespace qm {

class TableRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The cell colours for the painter, as ints (-1: none), and a cell's
    // whole text (the display shows at most kMaxCellText characters).
    enum Role { IdColourRole = Qt::UserRole + 1, TokenColourRole, WholeTextRole };

    using QAbstractTableModel::QAbstractTableModel;

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Whether a view row holds a message: not the empty insertion row, nor a
    // row the core has already dropped but the view not yet.
    virtual bool HasRow(int row) const = 0;
    virtual std::string_view CellText(int row, int column) const = 0;
    virtual int IdColourOf(int /*row*/) const { return -1; }
    virtual int TokenColourOf(int /*row*/) const { return -1; }

    // The bytes a row's cells were cut from, each cell a part of them, where
    // the model keeps the row so; empty bytes where it does not. A search
    // rules out a whole row at once with them.
    struct RowBytes {
        std::string_view bytes;
        char separator = 0;
    };
    virtual RowBytes BytesOfRow(int /*row*/) const { return {}; }
};

// The live table: a window onto the ProcessTable core that catches up in
// batches. The view always ends with one empty row.
class ProcessTableModel : public TableRowsModel {
    Q_OBJECT
public:
    explicit ProcessTableModel(const ProcessTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    bool HasRow(int row) const override { return RowAt(row) != nullptr; }
    std::string_view CellText(int row, int column) const override;
    int IdColourOf(int row) const override;
    int TokenColourOf(int row) const override;
    const TableRow* RowAt(int row) const;

    // Brings the view up to the core: one remove range at the top, one insert
    // range before the empty row. Returns the number of rows inserted.
    int Flush();
    // True when the core has changed since the last Flush.
    bool Behind() const;
    // The core has changed: a Flush follows within kFlushIntervalMs, however
    // many changes come meanwhile (repainting, not inserting, is the cost).
    void RowsChanged();

    static constexpr int kFlushIntervalMs = 50;

    // Absolute index (since the table was made) of view row 0.
    std::uint64_t FirstShown() const { return shownFirst_; }

signals:
    // After every Flush, with the number of rows inserted.
    void Flushed(int inserted);
    // Before the top `count` rows leave, while views still show them.
    void Trimming(int count);

private:
    const ProcessTable& table_;
    std::uint64_t shownFirst_ = 0;
    int shownCount_ = 0;
    QTimer* flushTimer_;
};

// A loaded log file, one row per line; before the first load and after a
// clear, one empty row. The colour columns stay empty. A line is split into
// its fields when it is shown; the last one split is kept, since a row's
// cells are asked for one after another.
class LogViewerModel : public TableRowsModel {
    Q_OBJECT
public:
    using TableRowsModel::TableRowsModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    bool HasRow(int row) const override { return row >= 0 && row < content_.RowCount(); }
    std::string_view CellText(int row, int column) const override;
    RowBytes BytesOfRow(int row) const override;

    // Replaces every row in one reset.
    void SetContent(LogFileContent content);
    // Back to the one empty row, giving the file's memory back.
    void Clear();
    int RecordCount() const { return content_.RowCount(); }
    const LogFileContent& Content() const { return content_; }

private:
    LogFileContent content_;
    bool loaded_ = false;
    mutable int splitRow_ = -1;
    mutable std::array<std::string_view, kViewerColumns> splitFields_{};
};

} // namespace qm
