#include "reception/LogFileReader.h"
#include "reception/LogFiles.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace qm;
using Row = std::array<std::string, kViewerColumns>;

namespace {

const char kS = kLogFieldSeparator;

std::vector<Row> Rows(const std::string& bytes) {
    LogFileContent content;
    content.Parse(bytes);
    std::vector<Row> rows;
    for (int r = 0; r < content.RowCount(); ++r) {
        Row row;
        for (int c = 0; c < kViewerColumns; ++c)
            row[static_cast<std::size_t>(c)] = std::string(content.Cell(r, c));
        rows.push_back(row);
    }
    return rows;
}

std::string Line(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& f : fields) {
        if (&f != fields.begin()) line += kS;
        line += f;
    }
    return line;
}

TEST(SplitLogField, CutsAtTheFirstSeparatorAndTrimsTheField) {
    EXPECT_EQ(SplitLogField(std::string("  x  ") + kS + " y" + kS + "z", kS),
              std::make_pair(std::string_view("x"), std::string_view(std::string(" y") + kS + "z")));
    EXPECT_EQ(SplitLogField("\t no separator ", kS).first, "no separator");
    EXPECT_EQ(SplitLogField("", kS).second, "");
}

TEST(LogFileContent, LinesAndFields) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<Row> rows;
    };
    const Row written = {"06.12.26 21:12:19", "Router", "hell", "Unknw", "Dec  6 21", "1 (USER)/5", "514"};
    const std::string line =
        Line({"06.12.26 21:12:19", "Router", "hell", "Unknw", "Dec  6 21", "1 (USER)/5", "514", "255", "0"});
    const std::vector<Case> cases = {
        {"ThreeLines", line + "\r\n" + line + "\r\n" + line + "\r\n", {written, written, written}},
        {"TwoFields", "a" + std::string(1, kS) + "b\r\n", {{"a", "b"}}},
        {"Trimmed", "  x  " + std::string(1, kS) + "\t  msg\r\n", {{"x", "msg"}}},
        {"NoFinalBreak", "a\r\nb", {{"a"}, {"b"}}},
        {"LoneCrAndLf", "a\rb\nc\r\n", {{"a"}, {"b"}, {"c"}}},
        {"BlankLine", "a\r\n\r\nb\r\n", {{"a"}, {}, {"b"}}},
        {"NulIsAByteOfItsField", std::string("a\r\nbc\0d\r\ne\r\n", 11), {{"a"}, {std::string("bc\0d", 4)}, {"e"}}},
        {"CrBeforeCrLf", "a\r\r\nb", {{"a"}, {}, {"b"}}},
        {"Empty", "", {}},
        {"MoreThanSevenFieldsDropTheRest",
         Line({"1", "2", "3", "4", "5", "6", "7", "8"}),
         {{"1", "2", "3", "4", "5", "6", "7"}}},
        // UTF-8 letters holding the separator byte stay in the message.
        {"Utf8Message",
         Line({"06.12.26 21:12:19", "10.0.0.9",
               "Gr\xC3\xB6\xC3\x9F"
               "e \xD0\xB6\xD0\xB8\xD0\xB2",
               "Router", "app", "13", "514", "255", ""}) +
             "\r\n",
         {{"06.12.26 21:12:19", "10.0.0.9",
           "Gr\xC3\xB6\xC3\x9F"
           "e \xD0\xB6\xD0\xB8\xD0\xB2",
           "Router", "app", "13", "514"}}},
        // Before the message too: a sender named K\xC3\xB6ln, a tag with \xC2\xB6 and
        // \xE2\x80\xB6, a name with \xEF\xB6\x80 (the byte inside a character).
        {"Utf8BeforeTheMessage",
         Line({"06.12.26 21:12:19", "K\xC3\xB6ln", "msg \xD0\xB6", "Gr\xEF\xB6\x80", "t\xC2\xB6\xE2\x80\xB6",
               "13", "514", "255", ""}) +
             "\r\n",
         {{"06.12.26 21:12:19", "K\xC3\xB6ln", "msg \xD0\xB6", "Gr\xEF\xB6\x80", "t\xC2\xB6\xE2\x80\xB6", "13",
           "514"}}},
        // A line that is not the program's: fewer than eight separators
        // outside characters, so every separator byte counts as before.
        {"FewSeparatorsOutsideCharacters",
         Line({"d", "K\xC3", "L\xC3", "m", "t", "l", "p", "c", "x", "y"}),
         {{"d", "K\xC3", "L\xC3\xB6m", "t", "l", "p", "c"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(c.bytes), c.rows) << c.name;
}

// What cannot be shown is refused, each for its own reason, without waiting
// on a FIFO; a load stopped half-way leaves nothing.
TEST(LogFileContent, RefusalsAndCancelLeaveItEmpty) {
    qmtest::TempDir dir;
    std::vector<std::pair<std::string, LogFileContent::End>> cases = {
        {(dir / "missing.log").string(), LogFileContent::End::CannotOpen},
        {dir.Path().string(), LogFileContent::End::NotAFile},
    };
#ifndef _WIN32
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    cases.emplace_back((dir / "fifo").string(), LogFileContent::End::NotAFile);
    cases.emplace_back("/dev/zero", LogFileContent::End::NotAFile);
#endif
    for (const auto& [path, end] : cases) {
        LogFileContent content;
        EXPECT_EQ(content.Load(path), end) << path;
        EXPECT_EQ(content.RowCount(), 0);
    }

    LogFileContent content;
    const std::string feeds(kMaxViewerLines + 1, '\n');
    EXPECT_EQ(content.Parse(feeds), LogFileContent::End::TooManyLines);
    EXPECT_EQ(content.LinesFound(), kMaxViewerLines + 1);
    EXPECT_EQ(content.RowCount(), 0);

    int calls = 0;
    std::string lines;
    while (lines.size() < (20u << 20))
        lines += "a line\r\n";
    EXPECT_EQ(content.Parse(lines, [&](std::uint64_t, std::uint64_t) { return ++calls < 2; }),
              LogFileContent::End::Cancelled);
    EXPECT_EQ(content.RowCount(), 0);
}

} // namespace
