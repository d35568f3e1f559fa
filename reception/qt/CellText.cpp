#include "reception/qt/CellText.h"

#include "platform/qt/DisplayText.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <cmath>
#include <limits>

namespace qm {

namespace {

// Enough bytes for kMaxCellText characters in any encoding the display uses.
constexpr std::size_t kMaxCellBytes = 4 * kMaxCellText;
constexpr std::size_t kMaxRemembered = 256;       // longer texts are rarely repeated
constexpr std::size_t kRememberedEntries = 65536; // then it starts again

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A width in 1/64 pixel, when the font gives it exactly so.
bool InFixedUnits(qreal width, int& units) {
    const qreal scaled = width * 64;
    units = static_cast<int>(std::lround(scaled));
    return std::abs(scaled - units) < 1e-6;
}

} // namespace

QString ShownCellText(std::string_view bytes) {
    bool cut = false;
    if (bytes.size() > kMaxCellBytes) {
        std::size_t end = kMaxCellBytes;
        for (int back = 0; back < 3 && end > 0 && IsContinuation(bytes[end]); ++back)
            --end; // never half a character
        bytes = bytes.substr(0, end);
        cut = true;
    }
    QString text = DisplayText(bytes);
    if (text.size() > kMaxCellText) {
        qsizetype end = kMaxCellText;
        if (text[end - 1].isHighSurrogate()) --end;
        text.truncate(end);
        cut = true;
    }
    if (cut) text += QChar(0x2026);
    return text;
}

namespace {

constexpr int kNotSummable = std::numeric_limits<int>::min();
constexpr int kUnknown = kNotSummable + 1;

// Characters text layout draws on their own, without joining, reordering,
// combining or being skipped: the simple scripts up to U+058F, General
// Punctuation and the control pictures, less controls, combining marks and
// invisible format marks. Each has a slot in the tables; -1 for the rest.
constexpr int kPunctuation = 0x590;
constexpr int kSigns = kPunctuation + 0x60;
constexpr int kPictures = kSigns + 2;
constexpr int kSlots = kPictures + 0x27;

int SlotOf(char16_t c) {
    if (c < 0x20 || c == 0x7F || c == 0xAD) return -1;
    if (c < kPunctuation) return (c >= 0x300 && c < 0x370) || (c >= 0x483 && c < 0x48A) ? -1 : c;
    if (c >= 0x2000 && c < 0x2060)
        return (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ? -1 : kPunctuation + (c - 0x2000);
    if (c == 0x20AC) return kSigns;
    if (c == 0x2122) return kSigns + 1;
    if (c >= 0x2400 && c < 0x2427) return kPictures + (c - 0x2400);
    return -1;
}

constexpr std::int16_t kPairUnknown = std::numeric_limits<std::int16_t>::min();
constexpr std::int16_t kPairApart = kPairUnknown + 1;

} // namespace

CellTextWidths::CellTextWidths(const QFont& font)
    : font_(font), metrics_(font), exact_(font), maxAdvance_(std::max(1, metrics_.maxWidth())),
      tabStop_(80 * 64), asciiAdjustment_(128 * 128, kNotSummable), advance_(kSlots, kUnknown),
      pair_(static_cast<std::size_t>(kSlots) * kSlots, kPairUnknown), inCellFont_(kSlots, -1),
      cellFont_(QRawFont::fromFont(font)) {
    // Text layout's default tab stops (80 pixels at the usual resolution).
    if (int units = 0; InFixedUnits(exact_.horizontalAdvance(QStringLiteral("\t")), units) && units > 0)
        tabStop_ = units;
    asciiAdvance_.fill(kNotSummable);
    for (char16_t c = 0x20; c < 0x7F; ++c)
        asciiAdvance_[c] = Advance(c, c);
    // Row 0 stands for no previous character; the pairs are measured when met.
    for (char16_t b = 0; b < 0x80; ++b)
        asciiAdjustment_[b] = 0;
    for (char16_t a = 0x20; a < 0x7F; ++a)
        for (char16_t b = 0x20; b < 0x7F; ++b)
            asciiAdjustment_[static_cast<std::size_t>(a * 128 + b)] = kUnknown;
}

// Where text layout puts what follows a tab at `units`: the next tab stop,
// found by its fixed-point division, which rounds (so a position within
// 5/8 pixel of a stop goes on to the one after).
long long CellTextWidths::NextTabStop(long long units) const {
    const long long quotient = (units * 64 + tabStop_ / 2) / tabStop_;
    return ((quotient >> 6) + 1) * tabStop_;
}

// The common case, kept tight: printable ASCII and tabs.
long long CellTextWidths::SummedAscii(std::string_view bytes) {
    long long units = 0;
    std::size_t previous = 0;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == '\t') {
            units = NextTabStop(units);
            previous = 0;
            continue;
        }
        const int advance = asciiAdvance_[c];
        if (advance == kNotSummable) return -1;
        int& adjustment = asciiAdjustment_[previous * 128 + c];
        if (adjustment == kUnknown)
            adjustment = Adjustment(static_cast<int>(previous), static_cast<char16_t>(previous), c, c);
        if (adjustment == kNotSummable) return -1;
        units += advance + adjustment;
        previous = c;
    }
    return units;
}

int CellTextWidths::MeasuredAdvance(char16_t c) const {
    int units = 0;
    return SlotOf(c) >= 0 && InFixedUnits(exact_.horizontalAdvance(QChar(c)), units) ? units : kNotSummable;
}

bool CellTextWidths::InCellFont(char16_t c) {
    std::int8_t& known = inCellFont_[static_cast<std::size_t>(SlotOf(c))];
    if (known < 0) known = cellFont_.supportsCharacter(QChar(c)) ? 1 : 0;
    return known == 1;
}

int CellTextWidths::Advance(int slot, char16_t c) {
    int& advance = advance_[static_cast<std::size_t>(slot)];
    // A character the cell font lacks is drawn from another font, whose
    // fractional advances text layout adds up before it rounds: measured whole.
    if (advance == kUnknown) advance = InCellFont(c) ? MeasuredAdvance(c) : kNotSummable;
    return advance;
}

// The kerning between `a` and `b` in 1/64 pixel, or kNotSummable when the
// pair is not two glyphs side by side.
int CellTextWidths::MeasuredAdjustment(char16_t a, char16_t b) {
    const int first = Advance(SlotOf(a), a);
    const int second = Advance(SlotOf(b), b);
    if (first == kNotSummable || second == kNotSummable) return kNotSummable;
    // Text layout shapes the runs of each font apart: a character of the
    // cell font beside one drawn from another font is never kerned.
    if (InCellFont(a) != InCellFont(b)) return 0;
    const QChar pair[2] = {QChar(a), QChar(b)};
    const QString text(pair, 2);
    int units = 0;
    if (!InFixedUnits(exact_.horizontalAdvance(text), units)) return kNotSummable;
    const int adjustment = units - first - second;
    // Kerning moves the second glyph by the adjustment, and nothing else
    // changes. A ligature replaces both glyphs (and may kern otherwise with
    // its neighbours, even when as wide as the two: fonts join letters so),
    // and a character drawn otherwise beside another does not move its
    // neighbour so.
    if (adjustment == 0 && !(QChar(a).isLetter() && QChar(b).isLetter())) return 0;
    QTextLayout layout(text, font_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || runs[0].positions().size() != 2) return kNotSummable;
    const qreal moved = runs[0].positions()[1].x() - runs[0].positions()[0].x();
    if (std::abs(moved * 64 - (first + adjustment)) > 1e-6) return kNotSummable;
    if (adjustment <= kPairApart || adjustment > std::numeric_limits<std::int16_t>::max()) return kNotSummable;
    return adjustment;
}

int CellTextWidths::Adjustment(int before, char16_t a, int slot, char16_t b) {
    std::int16_t& state = pair_[static_cast<std::size_t>(before) * kSlots + static_cast<std::size_t>(slot)];
    if (state == kPairUnknown) {
        const int adjustment = MeasuredAdjustment(a, b);
        state = adjustment == kNotSummable ? kPairApart : static_cast<std::int16_t>(adjustment);
    }
    return state == kPairApart ? kNotSummable : state;
}

long long CellTextWidths::Summed(const QString& text) {
    long long units = 0;
    char16_t previous = 0;
    int before = -1;
    for (const QChar unit : text) {
        const char16_t c = unit.unicode();
        if (c == u'\t') {
            units = NextTabStop(units);
            before = -1;
            continue;
        }
        if (c == 0xAD) continue; // a soft hyphen: no width, and its neighbours kern as if it were not there
        const int slot = SlotOf(c);
        if (slot < 0) return -1;
        const int advance = Advance(slot, c);
        if (advance == kNotSummable) return -1;
        if (before >= 0) {
            const int adjustment = Adjustment(before, previous, slot, c);
            if (adjustment == kNotSummable) return -1;
            units += adjustment;
        }
        units += advance;
        previous = c;
        before = slot;
    }
    return units;
}

int CellTextWidths::Width(std::string_view bytes) {
    // Text layout rounds its 1/64-pixel widths to whole pixels so.
    const auto pixels = [](long long units) { return static_cast<int>((units + 32) >> 6); };
    // ASCII is shown byte for byte in every encoding the display uses.
    if (bytes.size() <= static_cast<std::size_t>(kMaxCellText))
        if (const long long summed = SummedAscii(bytes); summed >= 0) return pixels(summed);
    return Measured(bytes);
}

int CellTextWidths::Measured(std::string_view bytes) {
    const bool remember = bytes.size() <= kMaxRemembered;
    if (remember)
        if (const auto hit = remembered_.find(bytes); hit != remembered_.end()) return hit->second;
    const QString shown = ShownCellText(bytes);
    const long long summed = Summed(shown);
    const int w = summed >= 0 ? static_cast<int>((summed + 32) >> 6) : metrics_.horizontalAdvance(shown);
    if (remember) {
        if (remembered_.size() >= kRememberedEntries) remembered_.clear();
        remembered_.emplace(std::string(bytes), w);
    }
    return w;
}

} // namespace qm
