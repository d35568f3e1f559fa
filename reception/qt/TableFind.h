// Finding text in a table as the operator reads it: the whole text of each
// cell, converted for display (not the shortened text a cell shows), case
// folded unless the case must match. Cells of plain ASCII, the great
// majority, are searched in their bytes; any other is converted first.
#pragma once

#include "reception/qt/TableRowsModel.h"

#include <QString>

#include <string>
#include <string_view>

namespace qm {

class TextMatcher {
public:
    TextMatcher() = default;
    TextMatcher(const QString& needle, bool matchCase);

    bool Empty() const { return needle_.isEmpty(); }
    bool Matches(std::string_view cell) const;
    // False only when no cell cut from `row` can match: the row is plain
    // ASCII but for its separators, and the needle is not in its bytes.
    bool MayMatchRow(const TableRowsModel::RowBytes& row) const;

private:
    QString needle_;
    bool matchCase_ = false;
    bool asciiNeedle_ = false;
    std::string bytes_; // the needle as ASCII bytes, lower case unless the case must match
};

struct FoundCell {
    int row = -1;
    int column = -1;
    bool wrapped = false; // went past the last (or first) row to find it
};

// The next matching cell after (`row`, `column`) in reading order (before
// it, going back), wrapping once round the table; row -1 when none matches.
// Start at row -1 to begin at the top (or, going back, at the bottom).
FoundCell FindCell(const TableRowsModel& model, const TextMatcher& matcher, int row, int column, bool forward);

} // namespace qm
