#include "reception/ProcessTable.h"

#include "settings/Options.h"

#include <charconv>

namespace qm {

int CellColour(const std::string& text) {
    if (text == "0") return -1;
    return ParseColour(text).value_or(-1);
}

void TableRow::UpdateColours() {
    idColour = CellColour(cells[ColIdColour]);
    tokenColour = CellColour(cells[ColTokenColour]);
}

namespace {

// Slots are reused so their strings keep their storage; but one that once
// held a huge message gives it back when a short one takes its place.
void Assign(std::string& cell, std::string_view text) {
    constexpr std::size_t kKeep = 1024;
    if (cell.capacity() > kKeep && text.size() < cell.capacity() / 4)
        std::string(text).swap(cell);
    else
        cell.assign(text);
}

} // namespace

void ProcessTable::AddRow(const SyslogMessage& m, std::string_view datagram, bool datagramTooLong) {
    if (count_ == ring_.size()) {
        // Grow, laying the messages out oldest first again.
        std::vector<TableRow> bigger(ring_.empty() ? 64 : ring_.size() * 2);
        for (std::size_t i = 0; i < count_; ++i)
            bigger[i] = std::move(ring_[(head_ + i) % ring_.size()]);
        ring_ = std::move(bigger);
        head_ = 0;
    }
    TableRow& row = ring_[(head_ + count_) % ring_.size()];
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        if (kColumns[c].text) {
            Assign(row.cells[c], m.*kColumns[c].text);
        } else {
            char port[16];
            const auto r = std::to_chars(port, port + sizeof port, m.SenderPort);
            row.cells[c].assign(port, r.ptr);
        }
    }
    row.datagramTooLong = datagramTooLong || datagram.size() > kMaxKeptDatagram;
    Assign(row.datagram, row.datagramTooLong ? std::string_view() : datagram);
    row.UpdateColours();
    ++count_;
    ++added_;
}

void ProcessTable::TrimProcessTable(int limitRows) {
    if (limitRows <= 0) return;
    const std::size_t keep = static_cast<std::size_t>(limitRows < 3 ? 3 : limitRows) - 2;
    if (count_ <= keep) return;
    const std::size_t drop = count_ - keep;
    head_ = (head_ + drop) % ring_.size();
    count_ = keep;
    removed_ += drop;
}

void ProcessTable::Clear() {
    removed_ += count_;
    head_ = 0;
    count_ = 0;
    std::vector<TableRow>().swap(ring_);
}

std::size_t ProcessTable::BytesHeld() const {
    std::size_t bytes = ring_.capacity() * sizeof(TableRow);
    for (const TableRow& row : ring_) {
        for (const std::string& cell : row.cells)
            bytes += cell.capacity() > 15 ? cell.capacity() + 1 : 0; // beyond the short-string room
        bytes += row.datagram.capacity() > 15 ? row.datagram.capacity() + 1 : 0;
    }
    return bytes;
}

} // namespace qm
