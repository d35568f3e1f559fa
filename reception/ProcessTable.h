// The rows of the live table: messages oldest first in a ring, so adding one
// and dropping the oldest cost the same at any size. The header and the
// always-empty insertion row belong to the view; RowCount() counts them.
#pragma once

#include "reception/Columns.h"
#include "reception/SyslogMessage.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {


// A colour cell of the table: -1 for no colour ("0", empty, or not an
// integer), otherwise the 0x00BBGGRR value.
int CellColour(const std::string& text);

// The longest datagram a row keeps for the structured view.
inline constexpr std::size_t kMaxKeptDatagram = 8192;

struct TableRow {
    std::array<std::string, kColumnCount> cells;
    int idColour = -1;
    int tokenColour = -1;
    // The datagram the row came from, when it is at most kMaxKeptDatagram long.
    std::string datagram;
    bool datagramTooLong = false;

    // Recomputes the two colours from cells 7 and 8.
    void UpdateColours();
};

class ProcessTable {
public:
    // Rows in the grid's terms: the header, the messages and the empty row.
    int RowCount() const { return static_cast<int>(count_) + 2; }
    // The record count shown to the operator.
    int RecordCount() const { return static_cast<int>(count_); }
    // Message i, 0 being the oldest still held.
    const TableRow& Message(int i) const {
        return ring_[(head_ + static_cast<std::size_t>(i)) % ring_.size()];
    }

    // `datagramTooLong`: the datagram was longer than kMaxKeptDatagram and is
    // not given.
    void AddRow(const SyslogMessage& message, std::string_view datagram = {}, bool datagramTooLong = false);
    // Keeps the newest LimitRows - 2 messages (a limit of 1 or 2 acts as 3);
    // 0 means no limit.
    void TrimProcessTable(int limitRows);
    // Drops every row and gives their memory back.
    void Clear();
    // The memory the rows hold, for the statistics.
    std::size_t BytesHeld() const;

    // Running totals since the table was made, for a view that catches up in
    // batches: messages ever added, and ever removed from the top.
    std::uint64_t Added() const { return added_; }
    std::uint64_t Removed() const { return removed_; }

private:
    std::vector<TableRow> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::uint64_t added_ = 0;
    std::uint64_t removed_ = 0;
};

} // namespace qm
