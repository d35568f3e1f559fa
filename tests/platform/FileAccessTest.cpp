// Whole-file reads refuse what is not a regular file without blocking; a
// failed write leaves the file that stood there as it was.
#include "platform/FileAccess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace qm;

namespace {

TEST(FileAccessTest, OnlyRegularFilesAreReadAndEachRefusalSaysWhy) {
    qmtest::TempDir dir;
    qmtest::WriteFile(dir / "big", std::string(2000, 'x'));
    struct Case {
        std::string path;
        std::string reason;
    };
    std::vector<Case> cases{
        {dir.Path().string(), "it is a folder"},
#ifdef _WIN32
        {(dir / "missing").string(), "File not found"},
#else
        {(dir / "missing").string(), "No such file"},
#endif
        {(dir / "big").string(), "it is larger than 0 MB"},
    };
#ifndef _WIN32
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0); // nobody writes to it: a read must not wait
    cases.push_back({(dir / "fifo").string(), "it is not a regular file"});
    cases.push_back({"/dev/zero", "it is not a regular file"});
#endif
    for (const Case& c : cases) {
        std::string bytes = "stale";
        const Result r = ReadWholeFile(c.path, bytes, 1000);
        EXPECT_FALSE(r) << c.path;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << c.path << ": " << r.error;
        EXPECT_TRUE(bytes.empty()) << c.path;
    }
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile((dir / "big").string(), bytes, 2000));
    EXPECT_EQ(bytes, std::string(2000, 'x'));
}

TEST(FileAccessTest, AWriteReplacesTheFileWholeOrNotAtAll) {
    qmtest::TempDir dir;
    const auto file = dir / "export.qmr";
    qmtest::WriteFile(file, "the earlier export");
    ASSERT_TRUE(WriteWholeFile(file.string(), "the new one"));
    EXPECT_EQ(qmtest::ReadFile(file), "the new one");

    // Into a folder that does not exist: nothing is made anywhere.
    EXPECT_FALSE(WriteWholeFile((dir / "none" / "x").string(), "text"));
#ifndef _WIN32
    // A disk that fills half-way, as the process's file-size limit makes it.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Result full = WriteWholeFile(file.string(), std::string(100000, 'y'));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(full);
    EXPECT_NE(full.error.find("too large"), std::string::npos) << full.error;
    EXPECT_EQ(qmtest::ReadFile(file), "the new one");
#endif
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"export.qmr"});
}

} // namespace
