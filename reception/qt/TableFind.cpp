#include "reception/qt/TableFind.h"

#include "platform/qt/DisplayText.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

bool Ascii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

const char* Next(const char* from, const char* last, char c) {
    return from > last ? nullptr : static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(last - from) + 1));
}

// Whether `needle` (ASCII, lower case unless the case must match) is in
// `hay`, ASCII letters folded unless the case must match. Candidates for
// the first letter are found with memchr in both its cases.
bool ContainsBytes(std::string_view hay, std::string_view needle, bool matchCase) {
    if (matchCase) return hay.find(needle) != std::string_view::npos;
    if (needle.size() > hay.size()) return false;
    const char* last = hay.data() + (hay.size() - needle.size()); // the last place a match can start
    const char lower = needle[0];
    const char upper = Upper(lower);
    const auto restMatches = [&](const char* at) {
        for (std::size_t i = 1; i < needle.size(); ++i)
            if (Lower(at[i]) != needle[i]) return false;
        return true;
    };
    const char* a = Next(hay.data(), last, lower);
    const char* b = upper == lower ? nullptr : Next(hay.data(), last, upper);
    while (a || b) {
        const char* at = !b || (a && a < b) ? a : b;
        if (restMatches(at)) return true;
        if (at == a) a = Next(at + 1, last, lower);
        else b = Next(at + 1, last, upper);
    }
    return false;
}

} // namespace

TextMatcher::TextMatcher(const QString& needle, bool matchCase) : needle_(needle), matchCase_(matchCase) {
    // An ASCII needle matches an ASCII cell in its bytes. (Case folding can
    // make a non-ASCII letter equal an ASCII one, the Kelvin sign a k: those
    // cells are not ASCII, and go the long way.)
    asciiNeedle_ = std::all_of(needle.begin(), needle.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (asciiNeedle_)
        for (const QChar c : needle)
            bytes_ += matchCase ? static_cast<char>(c.unicode()) : Lower(static_cast<char>(c.unicode()));
}

bool TextMatcher::Matches(std::string_view cell) const {
    if (needle_.isEmpty() || cell.empty()) return false;
    if (asciiNeedle_) {
        // ASCII bytes show as themselves in any text (control bytes show as
        // pictures, which an ASCII needle does not hold and which only ever
        // make a byte match claim too much; hence the check of plain cells).
        const bool plain = Ascii(cell);
        if (plain && std::none_of(cell.begin(), cell.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
            return ContainsBytes(cell, bytes_, matchCase_);
        if (plain && !ContainsBytes(cell, bytes_, matchCase_)) return false;
    }
    return DisplayText(cell).contains(needle_, matchCase_ ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

bool TextMatcher::MayMatchRow(const TableRowsModel::RowBytes& row) const {
    if (!asciiNeedle_ || row.bytes.empty()) return true;
    // Cells are parts of the row: an ASCII row without the needle's bytes
    // has no cell that shows it.
    const bool plain = std::all_of(row.bytes.begin(), row.bytes.end(), [&](char c) {
        return static_cast<unsigned char>(c) < 0x80 || c == row.separator;
    });
    return !plain || ContainsBytes(row.bytes, bytes_, matchCase_);
}

FoundCell FindCell(const TableRowsModel& model, const TextMatcher& matcher, int row, int column, bool forward) {
    FoundCell found;
    if (matcher.Empty()) return found;
    const int rows = model.rowCount();
    const int columns = model.columnCount();
    if (rows <= 0 || columns <= 0) return found;
    const long long cells = static_cast<long long>(rows) * columns;
    long long at = row < 0 ? (forward ? -1 : cells) : static_cast<long long>(row) * columns + column;
    int rowSeen = -1;
    bool rowMayMatch = false;
    for (long long visited = 0; visited < cells;) {
        at += forward ? 1 : -1;
        if (at >= cells || at < 0) {
            at = forward ? 0 : cells - 1;
            found.wrapped = row >= 0; // starting at an end is no wrap
        }
        ++visited;
        const int r = static_cast<int>(at / columns);
        const int c = static_cast<int>(at % columns);
        if (r != rowSeen) {
            rowSeen = r;
            rowMayMatch = model.HasRow(r) && matcher.MayMatchRow(model.BytesOfRow(r));
        }
        if (!rowMayMatch) {
            // Past the rest of the row in this direction.
            const long long rest = forward ? columns - 1 - c : c;
            at += forward ? rest : -rest;
            visited += rest;
            continue;
        }
        if (matcher.Matches(model.CellText(r, c))) {
            found.row = r;
            found.column = c;
            return found;
        }
    }
    found.wrapped = false;
    return found;
}

} // namespace qm
