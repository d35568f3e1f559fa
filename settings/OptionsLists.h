// The options dialog's list pages without their widgets: the working copies
// of the ID, IP and Token lists as grids of text cells, the operations on
// them, the check before saving, and the taking over into Options.
#pragma once

#include "platform/Result.h"
#include "settings/Options.h"

#include <array>
#include <string>
#include <vector>

namespace qm {

// A grid of text cells that always has at least one row and a current row.
class ListGrid {
public:
    explicit ListGrid(int columns);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    int ColumnCount() const { return columns_; }
    int Current() const { return current_; }
    // Clamped into the rows.
    void SetCurrent(int row);

    const std::string& Cell(int row, int column) const;
    void SetCell(int row, int column, std::string text);
    // The cell trimmed of bytes of code 0..32.
    std::string Trimmed(int row, int column) const;

    // Replaces every row; an empty list leaves one blank row.
    void SetRows(std::vector<std::vector<std::string>> rows);
    void AppendBlankRow();
    // Rows below the current one move up with all their cells; one blank
    // row remains at least. The current row keeps its index, or becomes the
    // new last row.
    void DeleteCurrentRow();
    // Swaps the current row with its neighbour (-1 up, +1 down) and follows
    // it. Returns false at either end.
    bool MoveCurrent(int step);

private:
    int columns_;
    std::vector<std::vector<std::string>> rows_;
    int current_ = 0;
};

// Column layouts.
enum IdColumn { IdName, IdNo, IdListen, IdToken, IdColor, IdUseToken, IdPopup, IdColumns };
enum IpColumn { IpName, IpAddress, IpListen, IpColumns };
enum TokenColumn { TkToken, TkUseToken, TkColor, TkPopup, TkColumns };

ListGrid IdGridFrom(const std::vector<IdEntry>& list);
ListGrid IpGridFrom(const std::vector<IpEntry>& list);
ListGrid TokenGridFrom(const std::vector<TokenEntry>& list);

// Colours of the standard severity presets, 0x00BBGGRR, levels 0..7.
extern const std::array<const char*, 8> kSeverityColours;

// Appends a blank row and makes it current when the last row is complete
// (ID: name and number; IP: name; Token: token). Returns whether it did.
bool AddIdRow(ListGrid& ids);
bool AddKeyedRow(ListGrid& grid); // IP and Token: column 0 decides

// A row holding `value` in `column` (an ID's number, an IP's address), the
// rest left for the operator: "Add to list..." of the statistics. Like a
// preset, it goes into an incomplete last row.
void AddRowHolding(ListGrid& grid, bool (*add)(ListGrid&), int column, const std::string& value);

// The preset of one severity level. The preset never overwrites a complete
// entry: when the last row is incomplete, it goes into that row (made current).
void AddSeverityPreset(ListGrid& ids, int level);

// The check before OK takes the lists over: ok, or the error box's text.
Result ValidateLists(const ListGrid& ids, const ListGrid& ips, const ListGrid& tokens);

// An IP row's address as OK stores it: without blanks, and an IPv6 address
// in RFC 5952 form (what the program writes for its senders), so that it
// matches them as plain text does for dotted ones.
std::string StoredAddress(const std::string& typed);

inline constexpr const char* kListErrorCaption = "Error on input parameters";

// The lists OK takes over from the grids: incomplete rows dropped, blank
// flag and colour cells given their defaults, cells trimmed.
std::vector<IdEntry> TakeIdList(ListGrid& ids);
std::vector<IpEntry> TakeIpList(ListGrid& ips);
std::vector<TokenEntry> TakeTokenList(ListGrid& tokens);

} // namespace qm
