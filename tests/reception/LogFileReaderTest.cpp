#include "reception/LogFileReader.h"
#include "reception/LogFiles.h"

#include <gtest/gtest.h>

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
        {"NulEndsTheReading", std::string("a\r\nbc\0d\r\ne\r\n", 11), {{"a"}, {"bc"}}},
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
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(c.bytes), c.rows) << c.name;
}

TEST(LogFileContent, MissingFileFails) {
    LogFileContent content;
    EXPECT_FALSE(content.Load("/nonexistent/dir/file.log"));
}

} // namespace
