#include "settings/ListRow.h"

#include "settings/unitAdd_Ins.h"

namespace qm {

namespace {

bool IsSkippable(char c) {
    return c != '\0' && IsBlankByte(c);
}

bool NeedsQuotes(const std::string& field, bool last) {
    if (field.empty()) return last; // a trailing empty field would vanish
    if (field.front() == '"') return true;
    return HasBlankOrComma(field);
}

} // namespace

std::vector<std::string> SplitListRow(std::string_view row) {
    // A NUL ends the text, as it ends a registry string.
    if (const std::size_t nul = row.find('\0'); nul != std::string_view::npos) row = row.substr(0, nul);

    std::vector<std::string> fields;
    std::size_t pos = 0;
    const std::size_t n = row.size();
    while (pos < n && IsSkippable(row[pos]))
        ++pos;
    while (pos < n) {
        std::string field;
        if (row[pos] == '"') {
            ++pos;
            while (pos < n) {
                if (row[pos] == '"') {
                    if (pos + 1 < n && row[pos + 1] == '"') {
                        field.push_back('"');
                        pos += 2;
                        continue;
                    }
                    ++pos; // the closing quote
                    break;
                }
                field.push_back(row[pos++]);
            }
        } else {
            const std::size_t start = pos;
            while (pos < n && !IsBlankByte(row[pos]) && row[pos] != ',')
                ++pos;
            field.assign(row.substr(start, pos - start));
        }
        fields.push_back(std::move(field));
        while (pos < n && IsSkippable(row[pos]))
            ++pos;
        if (pos < n && row[pos] == ',') {
            ++pos;
            while (pos < n && IsSkippable(row[pos]))
                ++pos;
        }
    }
    return fields;
}

std::string JoinListRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) row.push_back(',');
        const std::string& field = fields[i];
        if (!NeedsQuotes(field, i + 1 == fields.size())) {
            row += field;
            continue;
        }
        row.push_back('"');
        for (char c : field) {
            if (c == '"') row.push_back('"');
            row.push_back(c);
        }
        row.push_back('"');
    }
    return row;
}

std::string IdListRow(const IdEntry& e) {
    return JoinListRow({e.Name, e.Listen, e.Token, e.Color, e.UseToken, e.Popup});
}

std::string IpListRow(const IpEntry& e) {
    return JoinListRow({e.Name, e.Listen});
}

std::string TokenListRow(const TokenEntry& e) {
    return JoinListRow({e.UseToken, e.Color, e.Popup});
}

} // namespace qm
