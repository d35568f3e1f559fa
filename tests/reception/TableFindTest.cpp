// Find in a table: what it finds must be exactly what the operator reads,
// whichever shortcut (ASCII bytes, whole rows ruled out) it takes.
#include "reception/qt/TableFind.h"
#include "platform/qt/DisplayText.h"
#include "reception/LogFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

using namespace qm;

namespace {

using Cells = std::vector<std::pair<int, int>>;

// Every matching cell in reading order, by converting every cell.
Cells Reference(const TableRowsModel& model, const QString& needle, bool matchCase) {
    Cells all;
    for (int r = 0; r < model.rowCount(); ++r)
        for (int c = 0; model.HasRow(r) && c < model.columnCount(); ++c)
            if (DisplayText(model.CellText(r, c)).contains(needle, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive))
                all.emplace_back(r, c);
    return all;
}

// Every cell Find stops at, going round once from the top (or the bottom).
Cells Found(const TableRowsModel& model, const TextMatcher& matcher, bool forward) {
    Cells all;
    FoundCell at = FindCell(model, matcher, -1, 0, forward);
    while (at.row >= 0 && !at.wrapped && all.size() <= 10000) {
        all.emplace_back(at.row, at.column);
        at = FindCell(model, matcher, at.row, at.column, forward);
    }
    return all;
}

// Log lines of random fields from pieces that tempt every shortcut: case,
// control bytes, letters that fold to ASCII, the separator inside letters,
// text that runs across the separator.
TEST(FindCell, FindsWhatTheDisplayedTextHolds) {
    const std::vector<std::string> pieces{"alpha", "ALPHA", "Beta", "k", "\xE2\x84\xAA" /* Kelvin sign */,
                                          "\xC5\xBF" /* long s */, "s", "\x01", "\t", "x\x7f", "K\xC3\xB6ln",
                                          "\xC2\xB6" /* pilcrow: the separator inside */, "\xFF", " ", "a b"};
    std::mt19937 random(7);
    const auto pick = [&] { return pieces[random() % pieces.size()]; };
    std::string file;
    for (int line = 0; line < 400; ++line) {
        for (int field = 0; field < 9; ++field) {
            if (field) file += kLogFieldSeparator;
            for (int n = static_cast<int>(random() % 3); n >= 0; --n) file += pick();
        }
        file += "\r\n";
    }
    LogFileContent content;
    ASSERT_EQ(content.Parse(file), LogFileContent::End::Loaded);
    LogViewerModel model;
    model.SetContent(std::move(content));

    const std::vector<QString> needles{"alpha", "ALPHA", "ab", "k", "ss", "a\u00b6b", "\u2401" /* picture of \x01 */,
                                       "x\u2421", "k\u00f6ln", "\ufffd", "eta\tk", "zzz", "lphaalpha", "s s",
                                       QString("\x01"), QString("x\x7f")}; // pasted control bytes match no picture
    for (const QString& needle : needles)
        for (const bool matchCase : {false, true}) {
            Cells want = Reference(model, needle, matchCase);
            const TextMatcher matcher(needle, matchCase);
            EXPECT_EQ(Found(model, matcher, true), want) << needle.toStdString() << (matchCase ? " (match case)" : "");
            std::reverse(want.begin(), want.end());
            EXPECT_EQ(Found(model, matcher, false), want) << needle.toStdString() << (matchCase ? " (match case)" : "");
        }
}

} // namespace
