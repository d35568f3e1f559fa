// The program's folder and the paths it names, in the bytes the program
// keeps: on Windows a folder whose name the ANSI code page cannot hold is
// named by its short form, and its log folder with it.
#include "platform/qt/ProgramPaths.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace qm;

namespace {

TEST(ProgramPaths, TheLogFolderIsBesideTheProgram) {
    qmtest::TempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    const ProgramFolder located = LocateProgramIn(folder);
    EXPECT_TRUE(located.problem.isEmpty());
    EXPECT_EQ(QDir::cleanPath(QString::fromLocal8Bit(located.defaultLogDir)), QDir::cleanPath(folder + "/Log"));
}

#ifdef _WIN32
// Unzipped into C:\Tools\Łódź\QuillmereLight: the ANSI form would be another folder.
TEST(ProgramPaths, AFolderTheCodePageCannotNameIsNamedByItsShortForm) {
    if (GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page is UTF-8 here: every name fits";
    qmtest::TempDir dir;
    const QString folder = QString::fromStdWString(dir.Path().wstring()) + QString::fromUtf8("\\\xC5\x81\xC3\xB3" "d\xC5\xBA\\QuillmereLight");
    ASSERT_TRUE(QDir().mkpath(folder));
    const ProgramFolder located = LocateProgramIn(folder);
    ASSERT_TRUE(located.problem.isEmpty()) << located.problem.toStdString();
    // The bytes name the very folder: the system finds it by them.
    const DWORD attributes = GetFileAttributesA(located.dir.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << located.dir;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(located.defaultLogDir, located.dir + "\\Log");
    // A file not made yet: its folder's short form and its own name.
    const std::optional<std::string> file = PathBytes(folder + "\\export.qmr");
    ASSERT_TRUE(file);
    EXPECT_EQ(*file, located.dir + "\\export.qmr");
    EXPECT_EQ(ShownPath("C:/Tools/import1.qmr"), "C:\\Tools\\import1.qmr");
}
#endif

} // namespace
