// The nine columns of the live table and of the viewer, which are also the
// nine fields of a day-file line, said once: their order here is the order
// of the columns and of the fields in a line, so the two tables and the
// line writer cannot disagree.
#pragma once

#include "reception/SyslogMessage.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace qm {

struct ColumnInfo {
    const char* header;
    // The message's text for this column and field; none for the port, a number.
    std::string SyslogMessage::*text;
    // Whether the viewer shows the line's field in this column (the colours it does not).
    bool inViewer;
};

inline constexpr std::array<ColumnInfo, 9> kColumns = {{
    {"Date", &SyslogMessage::Stamp, true},
    {"Alias IP", &SyslogMessage::SenderText, true},
    {"Message", &SyslogMessage::MessageText, true},
    {"Name", &SyslogMessage::IdName, true},
    {"Tag", &SyslogMessage::Tag, true},
    {"Source/Level", &SyslogMessage::SourceLevel, true},
    {"Port", nullptr, true},
    {"cID", &SyslogMessage::IdColour, false},
    {"cTK", &SyslogMessage::TokenColour, false},
}};
inline constexpr int kColumnCount = static_cast<int>(kColumns.size());

// Columns by name, where the code needs one.
enum Column { ColDate, ColAliasIp, ColMessage, ColName, ColTag, ColSourceLevel, ColPort, ColIdColour, ColTokenColour };

// The viewer shows the first fields of a line, up to the port.
constexpr int CountViewerColumns() {
    int n = 0;
    while (n < kColumnCount && kColumns[static_cast<std::size_t>(n)].inViewer)
        ++n;
    for (int c = n; c < kColumnCount; ++c)
        if (kColumns[static_cast<std::size_t>(c)].inViewer) return -1; // shown columns must come first
    return n;
}
inline constexpr int kViewerColumns = CountViewerColumns();
static_assert(kViewerColumns == 7, "the viewer shows Date .. Port, the leading fields of a line");
static_assert(std::string_view(kColumns[ColPort].header) == "Port" && kColumns[ColPort].text == nullptr);
static_assert(std::string_view(kColumns[ColTokenColour].header) == "cTK" && ColTokenColour == kColumnCount - 1);

} // namespace qm
