#include "reception/ProcessTable.h"

#include "settings/Options.h"

#include <charconv>

namespace qm {

const std::array<const char*, kColumnCount> ColumnHeaders = {
    "Date", "Alias IP", "Message", "Name", "Tag", "Source/Level", "Port", "cID", "cTK"};

int CellColour(const std::string& text) {
    if (text == "0") return -1;
    return ParseColour(text).value_or(-1);
}

void TableRow::UpdateColours() {
    idColour = CellColour(cells[ColIdColour]);
    tokenColour = CellColour(cells[ColTokenColour]);
}

void ProcessTable::AddRow(const SyslogMessage& m) {
    if (count_ == ring_.size()) {
        // Grow, laying the messages out oldest first again.
        std::vector<TableRow> bigger(ring_.empty() ? 64 : ring_.size() * 2);
        for (std::size_t i = 0; i < count_; ++i)
            bigger[i] = std::move(ring_[(head_ + i) % ring_.size()]);
        ring_ = std::move(bigger);
        head_ = 0;
    }
    // Slots are reused, so their strings keep their storage.
    TableRow& row = ring_[(head_ + count_) % ring_.size()];
    row.cells[ColDate] = m.Stamp;
    row.cells[ColAliasIp] = m.SenderText;
    row.cells[ColMessage] = m.MessageText;
    row.cells[ColName] = m.IdName;
    row.cells[ColSourceLevel] = m.SourceLevel;
    row.cells[ColTag] = m.Tag;
    char port[16];
    const auto r = std::to_chars(port, port + sizeof port, m.SenderPort);
    row.cells[ColPort].assign(port, r.ptr);
    row.cells[ColIdColour] = m.IdColour;
    row.cells[ColTokenColour] = m.TokenColour;
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
}

} // namespace qm
