// The import's start of the registry editor on Windows: the command line
// "regedit.exe " and the short path, and CreateProcessA, against a stand-in.
#include "platform/RegeditProcess.h"
#include "platform/RegeditCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;

namespace {

TEST(RegeditProcess, CommandLineIsRegeditAndTheShortPath) {
    EXPECT_EQ(RegeditCommandLine("C:\\PROGRA~1\\SysLog.qmr"), "regedit.exe C:\\PROGRA~1\\SysLog.qmr");
    qmtest::TempDir dir;
    const auto file = std::filesystem::absolute(dir / "a long name with blanks.qmr");
    qmtest::WriteFile(file, "REGEDIT4\r\n");
    const std::string shortPath = ShortPath(file.string());
    EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
    EXPECT_EQ(ShortPath("Q:\\no\\such\\file.qmr"), "Q:\\no\\such\\file.qmr"); // no short form: as it is
}

TEST(RegeditProcess, StartsTheEditorAndWaitsForIt) {
    qmtest::TempDir dir;
    const auto file = std::filesystem::absolute(dir / "SysLog.qmr");
    qmtest::WriteFile(file, "REGEDIT4\r\n");
    const std::string standIn =
        std::filesystem::absolute(std::string(QM_BIN_DIR) + "/fake_regedit.exe").string();
    int waits = 0;
    const ProgramRun run = RunRegedit(
        file.string(), [&] { ++waits; }, standIn);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0);
    const std::string seen = qmtest::ReadFile(ShortPath(file.string()) + ".seen");
    EXPECT_NE(seen.find(ShortPath(file.string())), std::string::npos) << seen;
    const ProgramRun missing = RunRegedit(file.string(), {}, "Z:\\no\\such\\editor.exe");
    EXPECT_FALSE(missing.started);
}

} // namespace
