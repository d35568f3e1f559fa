// What a table cell shows of its text, and how wide that is. A cell's cost
// is bounded whatever the text's length: it shows at most kMaxCellText
// characters (the whole text stays in the row, for the properties window and
// the log), and widths are exact but mostly computed without text layout.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRawFont>
#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm {

inline constexpr qsizetype kMaxCellText = 1000;

// The cell's text for display: the whole text up to kMaxCellText characters,
// otherwise its beginning and "…".
QString ShownCellText(std::string_view bytes);

// Widths of shown cell texts in one font, equal to what QFontMetrics gives
// for ShownCellText, mostly without laying the text out: text layout draws
// the simple scripts (Latin, Greek, Cyrillic and their punctuation) as the
// sum of each character's advance and a kerning adjustment per neighbouring
// pair, so widths are summed from characters and pairs each measured once.
// A pair drawn as one glyph (a ligature), a control character or any other
// script is laid out, and short texts so measured are remembered.
class CellTextWidths {
public:
    explicit CellTextWidths(const QFont& font);

    int Width(std::string_view bytes);
    // Whether `bytes` cannot be wider than `width` however it is drawn (its
    // length times the font's widest advance), so it need not be measured.
    bool CannotExceed(std::string_view bytes, int width) const {
        return static_cast<long long>(bytes.size()) * maxAdvance_ <= width;
    }

private:
    // Summed width in 1/64 pixel (as text layout keeps widths), or -1 when
    // the text must be laid out.
    long long Summed(const QString& text);
    // By the characters' slots in the tables below, measured when first met.
    int Advance(int slot, char16_t c);
    int MeasuredAdvance(char16_t c) const;
    int Adjustment(int before, char16_t a, int slot, char16_t b);
    int MeasuredAdjustment(char16_t a, char16_t b);
    bool InCellFont(char16_t c);
    int Measured(std::string_view bytes);

    QFont font_;
    QFontMetrics metrics_;
    QFontMetricsF exact_;
    int maxAdvance_;
    long long tabStop_; // in 1/64 pixel
    // Printable ASCII, measured at once: advances (kNotSummable for every
    // other byte), and pair adjustments, row 0 standing for no previous
    // character.
    std::array<int, 256> asciiAdvance_{};
    std::vector<int> asciiAdjustment_;
    long long SummedAscii(std::string_view bytes);
    long long NextTabStop(long long units) const;
    // Every character with a slot, and every pair of them.
    std::vector<int> advance_;
    std::vector<std::int16_t> pair_;
    // Whether the cell font itself draws a slot's character (-1: not asked).
    std::vector<std::int8_t> inCellFont_;
    QRawFont cellFont_;
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, int, TextHash, std::equal_to<>> remembered_;
};

// The widest shown text of each of `columns` columns over `rows` rows, where
// `cell(row, column)` gives a cell's bytes. Rows are visited in order, so a
// row's fields can be split once for all its columns.
template <std::size_t N, typename Cell>
void WidenToTexts(std::array<int, N>& widest, int fromRow, int toRow, Cell cell, CellTextWidths& widths) {
    for (int r = fromRow; r < toRow; ++r)
        for (std::size_t c = 0; c < N; ++c) {
            const std::string_view text = cell(r, static_cast<int>(c));
            if (text.empty() || widths.CannotExceed(text, widest[c])) continue;
            widest[c] = std::max(widest[c], widths.Width(text));
        }
}

} // namespace qm
