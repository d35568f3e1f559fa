#include "settings/OptionsLists.h"

#include "platform/net/NetAddress.h"

#include "settings/SyslogNames.h"
#include "settings/unitAdd_Ins.h"

#include <algorithm>

namespace qm {

namespace {
const std::string kEmpty;
} // namespace

const std::array<const char*, 8> kSeverityColours = {"255",   "6974207",  "687838",   "47545",
                                                     "38144", "16711680", "10485760", "6422626"};

ListGrid::ListGrid(int columns) : columns_(columns) {
    AppendBlankRow();
}

void ListGrid::SetCurrent(int row) {
    current_ = std::clamp(row, 0, RowCount() - 1);
}

const std::string& ListGrid::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= columns_) return kEmpty;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void ListGrid::SetCell(int row, int column, std::string text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= columns_) return;
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

std::string ListGrid::Trimmed(int row, int column) const {
    return std::string(Trim(Cell(row, column)));
}

void ListGrid::SetRows(std::vector<std::vector<std::string>> rows) {
    rows_ = std::move(rows);
    for (auto& row : rows_)
        row.resize(static_cast<std::size_t>(columns_));
    if (rows_.empty()) AppendBlankRow();
    current_ = 0;
}

void ListGrid::AppendBlankRow() {
    rows_.emplace_back(static_cast<std::size_t>(columns_));
}

void ListGrid::DeleteCurrentRow() {
    rows_.erase(rows_.begin() + current_);
    if (rows_.empty()) AppendBlankRow();
    current_ = std::min(current_, RowCount() - 1);
}

bool ListGrid::MoveCurrent(int step) {
    const int target = current_ + step;
    if (target < 0 || target >= RowCount()) return false;
    std::swap(rows_[static_cast<std::size_t>(current_)], rows_[static_cast<std::size_t>(target)]);
    current_ = target;
    return true;
}

ListGrid IdGridFrom(const std::vector<IdEntry>& list) {
    ListGrid grid(IdColumns);
    std::vector<std::vector<std::string>> rows;
    for (const IdEntry& e : list)
        rows.push_back({e.Name, e.IdNumber, e.Listen, e.Token, e.Color, e.UseToken, e.Popup});
    grid.SetRows(std::move(rows));
    return grid;
}

ListGrid IpGridFrom(const std::vector<IpEntry>& list) {
    ListGrid grid(IpColumns);
    std::vector<std::vector<std::string>> rows;
    for (const IpEntry& e : list)
        rows.push_back({e.Name, e.Address, e.Listen});
    grid.SetRows(std::move(rows));
    return grid;
}

ListGrid TokenGridFrom(const std::vector<TokenEntry>& list) {
    ListGrid grid(TkColumns);
    std::vector<std::vector<std::string>> rows;
    for (const TokenEntry& e : list)
        rows.push_back({e.Token, e.UseToken, e.Color, e.Popup});
    grid.SetRows(std::move(rows));
    return grid;
}

bool AddIdRow(ListGrid& ids) {
    const int last = ids.RowCount() - 1;
    if (ids.Trimmed(last, IdName).empty() || ids.Trimmed(last, IdNo).empty()) return false;
    ids.AppendBlankRow();
    ids.SetCurrent(ids.RowCount() - 1);
    return true;
}

bool AddKeyedRow(ListGrid& grid) {
    if (grid.Trimmed(grid.RowCount() - 1, 0).empty()) return false;
    grid.AppendBlankRow();
    grid.SetCurrent(grid.RowCount() - 1);
    return true;
}

void AddRowHolding(ListGrid& grid, bool (*add)(ListGrid&), int column, const std::string& value) {
    if (!add(grid)) grid.SetCurrent(grid.RowCount() - 1);
    grid.SetCell(grid.Current(), column, value);
}

void AddSeverityPreset(ListGrid& ids, int level) {
    if (level < 0 || level > 7) return;
    // A complete last row gets a new row after it; an incomplete one takes
    // the preset itself, whatever row was current.
    if (!AddIdRow(ids)) ids.SetCurrent(ids.RowCount() - 1);
    const int r = ids.Current();
    ids.SetCell(r, IdName, SeverityNames[static_cast<std::size_t>(level)]);
    ids.SetCell(r, IdNo, std::to_string(level));
    ids.SetCell(r, IdListen, kNo);
    ids.SetCell(r, IdToken, "");
    ids.SetCell(r, IdColor, kSeverityColours[static_cast<std::size_t>(level)]);
    ids.SetCell(r, IdUseToken, kNo);
}

std::string StoredAddress(const std::string& typed) {
    std::string address = StripBlanks(typed);
    if (address.find(':') != std::string::npos)
        if (std::optional<std::string> canonical = CanonicalIPv6(address)) return *canonical;
    return address;
}

Result ValidateLists(const ListGrid& ids, const ListGrid& ips, const ListGrid& tokens) {
    bool blankOrComma = false;
    for (int r = 0; r < ids.RowCount(); ++r)
        blankOrComma |= HasBlankOrComma(ids.Trimmed(r, IdName));
    for (int r = 0; r < ips.RowCount(); ++r)
        blankOrComma |= HasBlankOrComma(ips.Trimmed(r, IpName));
    if (blankOrComma)
        return Result::Failed("Error on saving list: \rUser definded name for ID or IP\r"
                              "do not contain blank or comma symbols.\rChange values and save result again.");
    // An address with a ':' is an IPv6 address, and must be one; any other
    // holds digits and dots only (what the dotted mask lets through).
    for (int r = 0; r < ips.RowCount(); ++r) {
        const std::string address = StripBlanks(ips.Cell(r, IpAddress));
        if (ips.Trimmed(r, IpName).empty()) continue;
        const bool ipv6 = address.find(':') != std::string::npos;
        if (ipv6 && !CanonicalIPv6(address))
            return Result::Failed("Error on saving list: \r(IP address list)\r'" + address +
                                  "' is not a valid IPv6 address.\rChange values and save result again.");
        if (!ipv6 && address.find_first_not_of("0123456789.") != std::string::npos)
            return Result::Failed("Error on saving list: \r(IP address list)\r'" + address +
                                  "' is not a valid IPv4 address.\rChange values and save result again.");
    }

    // Entries in the order found: per ID row its name then its number, per IP
    // row its address then its name, then the tokens. A pair is found from
    // both of its rows.
    std::vector<std::string> report;
    bool idName = false, idNumber = false, ipAddress = false, ipName = false, token = false;
    // `counts(row)`: whether the row's empty key still counts as a value.
    const auto doubles = [&report](const ListGrid& grid, int row, auto key, auto same, const char* prefix,
                                   bool& flag, auto counts) {
        const std::string value = key(grid, row);
        if (value.empty() && !counts(row)) return;
        for (int other = 0; other < grid.RowCount(); ++other) {
            if (other == row || !same(value, key(grid, other))) continue;
            if (value.empty() && !counts(other)) continue;
            report.push_back(prefix + value);
            flag = true;
        }
    };
    const auto never = [](int) { return false; };
    // Named IP rows with blank addresses would all be saved under one empty
    // value name, so a blank address counts where the row has a name.
    const auto named = [&ips](int r) { return !ips.Trimmed(r, IpName).empty(); };
    const auto exact = [](const std::string& a, const std::string& b) { return a == b; };
    const auto column = [](int c) { return [c](const ListGrid& g, int r) { return g.Trimmed(r, c); }; };
    // Addresses and tokens meet in one stored value once blanks, or letter
    // case, no longer tell them apart.
    const auto address = [](const ListGrid& g, int r) { return StoredAddress(g.Cell(r, IpAddress)); };
    const auto noCase = [](const std::string& a, const std::string& b) { return SameText(a, b); };
    for (int r = 0; r < ids.RowCount(); ++r) {
        doubles(ids, r, column(IdName), exact, "DoubleValue:UserID-", idName, never);
        doubles(ids, r, column(IdNo), exact, "DoubleValue:ID-", idNumber, never);
    }
    for (int r = 0; r < ips.RowCount(); ++r) {
        doubles(ips, r, address, exact, "DoubleValue:IP-", ipAddress, named);
        doubles(ips, r, column(IpName), exact, "DoubleUserValue:IP-", ipName, never);
    }
    for (int r = 0; r < tokens.RowCount(); ++r)
        doubles(tokens, r, column(TkToken), noCase, "DoubleValue:Token-", token, never);

    if (!(idName || idNumber || ipAddress || ipName || token)) return {};
    std::string text = "Error on saving list: \r";
    if (idNumber) text += "(ID number list)\r";
    if (idName) text += "(Name ID list)\r";
    if (ipAddress) text += "(IP address list)\r";
    if (ipName) text += "(Name IP list)\r";
    if (token) text += "(Token list)\r";
    for (const std::string& entry : report)
        text += entry + "\r";
    text += "Change values and save result again.";
    return Result::Failed(text);
}

namespace {
void Default(ListGrid& g, int r, int c, const char* value) {
    if (g.Trimmed(r, c).empty()) g.SetCell(r, c, value);
}
} // namespace

std::vector<IdEntry> TakeIdList(ListGrid& ids) {
    std::vector<IdEntry> list;
    for (int r = 0; r < ids.RowCount(); ++r) {
        if (ids.Trimmed(r, IdName).empty() || ids.Trimmed(r, IdNo).empty()) continue;
        Default(ids, r, IdListen, kNo);
        Default(ids, r, IdColor, kWhite);
        Default(ids, r, IdUseToken, kNo);
        Default(ids, r, IdPopup, kYes);
        list.push_back({.IdNumber = ids.Trimmed(r, IdNo),
                        .Name = ids.Trimmed(r, IdName),
                        .Listen = ids.Trimmed(r, IdListen),
                        .Token = ids.Trimmed(r, IdToken),
                        .Color = ids.Trimmed(r, IdColor),
                        .UseToken = ids.Trimmed(r, IdUseToken),
                        .Popup = ids.Trimmed(r, IdPopup)});
    }
    return list;
}

std::vector<IpEntry> TakeIpList(ListGrid& ips) {
    std::vector<IpEntry> list;
    for (int r = 0; r < ips.RowCount(); ++r) {
        if (ips.Trimmed(r, IpName).empty()) continue;
        Default(ips, r, IpListen, kNo);
        list.push_back({.Address = StoredAddress(ips.Cell(r, IpAddress)),
                        .Name = ips.Trimmed(r, IpName),
                        .Listen = ips.Trimmed(r, IpListen)});
    }
    return list;
}

std::vector<TokenEntry> TakeTokenList(ListGrid& tokens) {
    std::vector<TokenEntry> list;
    for (int r = 0; r < tokens.RowCount(); ++r) {
        if (tokens.Trimmed(r, TkToken).empty()) continue;
        Default(tokens, r, TkUseToken, kNo);
        Default(tokens, r, TkColor, kWhite);
        Default(tokens, r, TkPopup, kYes);
        list.push_back({.Token = tokens.Trimmed(r, TkToken),
                        .UseToken = tokens.Trimmed(r, TkUseToken),
                        .Color = tokens.Trimmed(r, TkColor),
                        .Popup = tokens.Trimmed(r, TkPopup)});
    }
    return list;
}

} // namespace qm
