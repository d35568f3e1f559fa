// The program's folder and the paths it names, in the bytes the program
// keeps: on Windows a folder whose name the ANSI code page cannot hold is
// named by its short form, and its log folder with it.
#include "platform/qt/ProgramPaths.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

#ifndef _WIN32
// Installed in /usr/bin, the program cannot write beside itself: the user's
// data folder instead, its parents made (the last one is the day files').
// Through a link to the installed folder it is the same program.
TEST(ProgramPaths, AnInstalledProgramLogsInTheUsersDataFolder) {
    qmtest::TempDir dir;
    const QString root = QString::fromStdString(dir.Path().string());
    const QString bin = root + "/usr/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::link(root + "/usr", root + "/linked"));
    const QByteArray before = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (root + "/home/data").toUtf8());
    for (const QString& folder : {bin, root + "/linked/bin"}) {
        const ProgramFolder located = LocateProgramIn(folder, bin);
        EXPECT_TRUE(located.problem.isEmpty());
        EXPECT_EQ(located.defaultLogDir, (root + "/home/data/tovrel/Ferrowick/Log").toStdString());
        EXPECT_TRUE(QFileInfo(root + "/home/data/tovrel/Ferrowick").isDir());
        EXPECT_FALSE(QFileInfo::exists(root + "/home/data/tovrel/Ferrowick/Log"));
    }
    // Anywhere else: beside the program, as always.
    EXPECT_EQ(LocateProgramIn(root, bin).defaultLogDir, (root + "/Log").toStdString());
    // A data folder that cannot be made: said, and no folder named.
    qputenv("XDG_DATA_HOME", "/proc/no-such-folder");
    const ProgramFolder unmade = LocateProgramIn(bin, bin);
    EXPECT_TRUE(unmade.defaultLogDir.empty());
    EXPECT_TRUE(unmade.problem.contains("cannot be made"));
    before.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", before);
}
#endif

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
