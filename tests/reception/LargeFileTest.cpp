// A log file beyond 4 GiB opens like any other (opt-in: it takes 4 GiB of
// memory and a few seconds).
#include "reception/LogFileReader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace qm;

namespace {

TEST(LargeLogFile, OverFourGibibytesOpensWhole) {
    qmtest::TempDir dir;
    const auto path = dir / "20261206-Big.log";
    constexpr std::uint64_t kGap = (4ull << 30) + 100; // a sparse run of NUL bytes: one long line
    {
        std::ofstream out(path, std::ios::binary);
        out << "first\r\n";
        out.seekp(static_cast<std::streamoff>(kGap));
        out << "\r\nlast line\r\n";
    }
    LogFileContent content;
    ASSERT_EQ(content.Load(path.string()), LogFileContent::End::Loaded);
    ASSERT_EQ(content.RowCount(), 3);
    EXPECT_EQ(content.Line(0), "first");
    EXPECT_EQ(content.Line(1).size(), kGap - 7);
    EXPECT_EQ(content.Line(2), "last line");
    EXPECT_EQ(content.Cell(2, 0), "last line");
}

} // namespace
