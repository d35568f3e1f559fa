#include "reception/LogFiles.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace qm;
namespace fs = std::filesystem;

namespace {

class LogFilesTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    Options options;
    qmtest::FakeClock clock;
    std::unique_ptr<LogWriter> writer;
    std::unique_ptr<ReceptionHandler> handler;
    ProcessTable table;

    void SetUp() override {
        options.General.LogDir = (dir / "Log").string();
        options.General.WriteToLog = true;
        clock.time = {2026, 12, 6, 21, 12, 19};
        writer = std::make_unique<LogWriter>(options, clock);
        handler = std::make_unique<ReceptionHandler>(options, *writer, &table);
    }
    fs::path File(const std::string& name) const { return dir / "Log" / name; }
    HandleOutcome Send(const std::string& d, const std::string& from = "10.0.0.9") {
        return handler->Handle(qmtest::Arrived(d, from, 514, clock));
    }
};

TEST_F(LogFilesTest, LineIsWrittenByteForByte) {
    options.General.WriteToLogUnknownID = true;
    options.IpList = {{"10.0.0.9", "Router", "Yes"}};
    ASSERT_EQ(writer->PrepareDayFiles(true), LogWriter::Prepared::Ok);
    EXPECT_EQ(Send("<13>Dec  6 21:12:19 host app: hello"), HandleOutcome::Admitted);
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Unknw.log")), "06.12.26 21:12:19\xB6Router\xB6"
                                                            "12:19 host app: hell\xB6Unknw\xB6"
                                                            "Dec  6 21\xB6"
                                                            "1 (USER)/5\xB6"
                                                            "514\xB6\xB6\r\n");
}

TEST_F(LogFilesTest, ColoursAndOddBytesAreWrittenUnchanged) {
    options.IdList = {{"5", "Router", "No", "", "255", "No", "Yes"}};
    options.TokenList = {{"disk", "Yes", "65280", "No"}};
    writer->PrepareDayFiles(true);
    EXPECT_EQ(Send("<13>a: disk\r\xB6 x!"), HandleOutcome::Rejected); // rejected, still logged
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Router.log")), "06.12.26 21:12:19\xB6"
                                                             "10.0.0.9\xB6 disk\r\xB6 x\xB6Router\xB6"
                                                             "a\xB6"
                                                             "1 (USER)/5\xB6"
                                                             "514\xB6"
                                                             "255\xB6"
                                                             "65280\r\n");
}

TEST_F(LogFilesTest, DayFilesAreCreatedEmptyAndExistingOnesKept) {
    options.IdList = {{"1", "Router", "Yes", "", "1", "No", "Yes"},
                      {"2", "Switch", "Yes", "", "1", "No", "Yes"}};
    fs::create_directory(dir / "Log");
    qmtest::WriteFile(File("20261206-Switch.log"), "old\r\n");
    ASSERT_EQ(writer->PrepareDayFiles(true), LogWriter::Prepared::Ok);
    EXPECT_TRUE(fs::exists(File("20261206-Router.log")));
    EXPECT_EQ(fs::file_size(File("20261206-Router.log")), 0u);
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Switch.log")), "old\r\n");
    EXPECT_FALSE(fs::exists(File("20261206-Unknw.log")));
}

TEST_F(LogFilesTest, UnknownIdsAreLoggedOnlyWhenAsked) {
    writer->PrepareDayFiles(true);
    EXPECT_EQ(Send("<13>a: hello"), HandleOutcome::Admitted); // still shown
    EXPECT_FALSE(handler->Logged());
    EXPECT_FALSE(fs::exists(File("20261206-Unknw.log")));
    options.General.WriteToLogUnknownID = true;
    writer->PrepareDayFiles(true);
    Send("<13>a: hello");
    EXPECT_TRUE(handler->Logged());
}

TEST_F(LogFilesTest, MidnightStartsTheNextDaysFilesAtItsFirstMessage) {
    options.General.WriteToLogUnknownID = true;
    options.IdList = {{"1", "Router", "Yes", "", "1", "No", "Yes"}};
    clock.time = {2026, 12, 6, 23, 59, 59};
    writer->SetLastLogDay("20261206");
    writer->PrepareDayFiles(true);
    Send("<13>a: one!");
    clock.time = {2026, 12, 7, 0, 0, 1};
    EXPECT_FALSE(fs::exists(File("20261207-Router.log")));
    Send("<13>a: two!");
    EXPECT_TRUE(fs::exists(File("20261207-Router.log")));
    EXPECT_NE(qmtest::ReadFile(File("20261206-Unknw.log")).find(" one"), std::string::npos);
    EXPECT_NE(qmtest::ReadFile(File("20261207-Unknw.log")).find("07.12.26 00:00:01"), std::string::npos);
    EXPECT_EQ(writer->LastLogDay(), "20261207");
}

TEST_F(LogFilesTest, ChosenDateNamesTheFilesAndStopsDayChanges) {
    options.General.WriteToLogUnknownID = true;
    options.UseUserDate = true;
    options.UserDate = {2025, 1, 1, 0, 0, 0};
    writer->PrepareDayFiles(true);
    clock.time = {2026, 12, 6, 14, 3, 7};
    Send("<13>a: one!");
    clock.time = {2026, 12, 7, 0, 0, 1};
    Send("<13>a: two!");
    const std::string text = qmtest::ReadFile(File("20250101-Unknw.log"));
    EXPECT_NE(text.find("01.01.25 14:03:07"), std::string::npos);
    EXPECT_NE(text.find("01.01.25 00:00:01"), std::string::npos);
    EXPECT_FALSE(fs::exists(File("20261207-Unknw.log")));
}

TEST_F(LogFilesTest, DeletedDayFileCostsOneMessage) {
    options.IdList = {{"5", "Router", "Yes", "", "1", "No", "Yes"}};
    writer->PrepareDayFiles(true);
    fs::remove(File("20261206-Router.log"));
    EXPECT_EQ(Send("<13>a: lost!"), HandleOutcome::LogFailed);
    EXPECT_EQ(handler->Failure(), "File not found");
    EXPECT_EQ(table.RecordCount(), 0); // not shown either
    EXPECT_EQ(Send("<13>a: next!"), HandleOutcome::Admitted);
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Router.log")).find(" lost"), std::string::npos);
    EXPECT_NE(qmtest::ReadFile(File("20261206-Router.log")).find(" next"), std::string::npos);
}

#ifndef _WIN32
TEST_F(LogFilesTest, ReadOnlyFileIsAccessDenied) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    options.IdList = {{"5", "Router", "Yes", "", "1", "No", "Yes"}};
    writer->PrepareDayFiles(true);
    chmod(File("20261206-Router.log").c_str(), 0444);
    EXPECT_EQ(Send("<13>a: x!"), HandleOutcome::LogFailed);
    EXPECT_EQ(handler->Failure(), "File access denied");
}
#endif

TEST_F(LogFilesTest, NamesThatAreNotFileNamesNeverGetAFile) {
    options.IdList = {{"5", "../escape", "Yes", "", "1", "No", "Yes"},
                      {"6", "..", "Yes", "", "1", "No", "Yes"}};
    writer->PrepareDayFiles(true);
    EXPECT_EQ(Send("<13>a: x!"), HandleOutcome::LogFailed);
    EXPECT_EQ(handler->Failure(), "File not found");
    EXPECT_EQ(Send("<14>a: x!"), HandleOutcome::LogFailed);
    EXPECT_FALSE(fs::exists(dir / "20261206-.log"));
    EXPECT_FALSE(fs::exists(dir / "escape.log"));
    EXPECT_TRUE(fs::is_empty(dir / "Log"));
}

// Anything but a regular file under a day file's name (a link a hostile
// user planted, a FIFO) is never written through: it fails like a missing file.
TEST_F(LogFilesTest, ALinkOrAFifoInPlaceOfADayFileIsNeverWrittenThrough) {
    options.IdList = {{"5", "Router", "Yes", "", "1", "No", "Yes"}, {"6", "Switch", "Yes", "", "1", "No", "Yes"}};
    writer->PrepareDayFiles(true);
    const fs::path target = dir / "outside.txt";
    qmtest::WriteFile(target, "untouched");
    fs::remove(File("20261206-Router.log"));
    std::error_code ec;
    fs::create_symlink(target, File("20261206-Router.log"), ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    EXPECT_EQ(Send("<13>a: planted!"), HandleOutcome::LogFailed);
    EXPECT_EQ(handler->Failure(), "File not found");
    EXPECT_EQ(Send("<13>a: again!"), HandleOutcome::LogFailed); // re-making the day's files does not follow it
    EXPECT_EQ(qmtest::ReadFile(target), "untouched");
#ifndef _WIN32
    fs::remove(File("20261206-Switch.log"));
    ASSERT_EQ(mkfifo(File("20261206-Switch.log").c_str(), 0600), 0);
    EXPECT_EQ(Send("<14>a: into a pipe!"), HandleOutcome::LogFailed); // at once, not blocked
    EXPECT_EQ(handler->Failure(), "File not found");
#endif
}

TEST_F(LogFilesTest, LogFolderIsMadeButNotItsParents) {
    EXPECT_EQ(writer->PrepareDayFiles(true), LogWriter::Prepared::Ok);
    EXPECT_TRUE(fs::is_directory(dir / "Log"));

    options.General.LogDir = (dir / "missing" / "Log").string();
    LogWriter other(options, clock);
    EXPECT_EQ(other.PrepareDayFiles(true), LogWriter::Prepared::LogDirUnavailable);
    ReceptionHandler h(options, other);
    EXPECT_EQ(h.Handle(qmtest::Arrived("<13>a: x!", "1.1.1.1", 1, clock)), HandleOutcome::Shutdown);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(LogFilesTest, IoErrorTexts) {
#ifdef _WIN32
    EXPECT_EQ(IoErrorText(2), "File not found");
    EXPECT_EQ(IoErrorText(5), "File access denied");
    EXPECT_EQ(IoErrorText(112), "I/O error 112");
#else
    EXPECT_EQ(IoErrorText(ENOENT), "File not found");
    EXPECT_EQ(IoErrorText(EACCES), "File access denied");
    EXPECT_EQ(IoErrorText(ENOSPC), "I/O error 28");
#endif
}

} // namespace

namespace {

TEST_F(LogFilesTest, RemovedLogFolderCostsOneMessage) {
    options.General.WriteToLogUnknownID = true;
    writer->PrepareDayFiles(true);
    std::filesystem::remove_all(dir / "Log");
    EXPECT_EQ(Send("<13>a: lost!"), HandleOutcome::LogFailed);
    EXPECT_EQ(handler->Failure(), "File not found");
    EXPECT_EQ(Send("<13>a: kept!"), HandleOutcome::Admitted); // the folder and the day's files are made again
    EXPECT_NE(qmtest::ReadFile(File("20261206-Unknw.log")).find(" kept"), std::string::npos);
}

#ifndef _WIN32
// A write that fills the file system part way leaves no partial line behind.
// RLIMIT_FSIZE stands in for a full disk: the write stops at the limit.
TEST_F(LogFilesTest, APartialWriteIsCutBack) {
    options.General.WriteToLogUnknownID = true;
    writer->PrepareDayFiles(true);
    Send("<13>a: first line!");
    const auto file = File("20261206-Unknw.log");
    const std::string before = qmtest::ReadFile(file);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(before.size() + 20), static_cast<rlim_t>(before.size() + 20)};
        setrlimit(RLIMIT_FSIZE, &limit);
        const Result r = AppendLogLine(file.string(), std::string(200, 'x') + "\r\n");
        _exit(!r.ok && r.error == "I/O error " + std::to_string(EFBIG) ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(qmtest::ReadFile(file), before);
}
#endif

} // namespace
