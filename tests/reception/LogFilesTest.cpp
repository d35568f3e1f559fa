#include "reception/LogFiles.h"
#include "reception/Reception.h"
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
    qmtest::CountingDayFiles files;
    std::unique_ptr<Reception> reception;
    std::string failure; // of the last Send

    void SetUp() override {
        options.General.LogDir = (dir / "Log").string();
        options.General.WriteToLog = true;
        clock.time = {2026, 12, 6, 21, 12, 19};
        reception = std::make_unique<Reception>(options, clock, files);
    }
    LogWriter& Writer() { return reception->Log(); }
    fs::path File(const std::string& name) const { return dir / "Log" / name; }
    void Receive(const std::string& d, const std::string& from = "10.0.0.9") {
        reception->Receive(qmtest::Arrived(d, from, 514, clock));
    }
    // A run of one datagram.
    HandleOutcome Send(const std::string& d, const std::string& from = "10.0.0.9") {
        Receive(d, from);
        const Settled settled = reception->EndRun().front();
        failure = settled.failure;
        return settled.outcome;
    }
    std::vector<HandleOutcome> EndRun() {
        std::vector<HandleOutcome> outcomes;
        for (const Settled& s : reception->EndRun())
            outcomes.push_back(s.outcome);
        return outcomes;
    }
};

TEST_F(LogFilesTest, LineIsWrittenByteForByte) {
    options.General.WriteToLogUnknownID = true;
    options.IpList = {{.Address = "10.0.0.9", .Name = "Router", .Listen = "Yes"}};
    ASSERT_EQ(Writer().PrepareDayFiles(true), LogWriter::Prepared::Ok);
    EXPECT_EQ(Send("<13>Dec  6 21:12:19 host app: hello"), HandleOutcome::Admitted);
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Unknw.log")), "06.12.26 21:12:19\xB6Router\xB6"
                                                            "12:19 host app: hell\xB6Unknw\xB6"
                                                            "Dec  6 21\xB6"
                                                            "1 (USER)/5\xB6"
                                                            "514\xB6\xB6\r\n");
}

TEST_F(LogFilesTest, ColoursAndOddBytesAreWrittenUnchanged) {
    options.IdList = {{.IdNumber = "5",
                       .Name = "Router",
                       .Listen = "No",
                       .Token = "",
                       .Color = "255",
                       .UseToken = "No",
                       .Popup = "Yes"}};
    options.TokenList = {{.Token = "disk", .UseToken = "Yes", .Color = "65280", .Popup = "No"}};
    Writer().PrepareDayFiles(true);
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
    options.IdList = {qmtest::ListeningId("1", "Router", "1"), qmtest::ListeningId("2", "Switch", "1")};
    fs::create_directory(dir / "Log");
    qmtest::WriteFile(File("20261206-Switch.log"), "old\r\n");
    ASSERT_EQ(Writer().PrepareDayFiles(true), LogWriter::Prepared::Ok);
    EXPECT_TRUE(fs::exists(File("20261206-Router.log")));
    EXPECT_EQ(fs::file_size(File("20261206-Router.log")), 0u);
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Switch.log")), "old\r\n");
    EXPECT_FALSE(fs::exists(File("20261206-Unknw.log")));
}

TEST_F(LogFilesTest, UnknownIdsAreLoggedOnlyWhenAsked) {
    Writer().PrepareDayFiles(true);
    EXPECT_EQ(Send("<13>a: hello"), HandleOutcome::Admitted); // still shown
    EXPECT_EQ(reception->Counts().logged, 0u);
    EXPECT_FALSE(fs::exists(File("20261206-Unknw.log")));
    options.General.WriteToLogUnknownID = true;
    Writer().PrepareDayFiles(true);
    Send("<13>a: hello");
    EXPECT_EQ(reception->Counts().logged, 1u);
}

TEST_F(LogFilesTest, MidnightStartsTheNextDaysFilesAtItsFirstMessage) {
    options.General.WriteToLogUnknownID = true;
    options.IdList = {qmtest::ListeningId("1", "Router", "1")};
    clock.time = {2026, 12, 6, 23, 59, 59};
    Writer().SetLastLogDay("20261206");
    Writer().PrepareDayFiles(true);
    Send("<13>a: one!");
    clock.time = {2026, 12, 7, 0, 0, 1};
    EXPECT_FALSE(fs::exists(File("20261207-Router.log")));
    Send("<13>a: two!");
    EXPECT_TRUE(fs::exists(File("20261207-Router.log")));
    EXPECT_NE(qmtest::ReadFile(File("20261206-Unknw.log")).find(" one"), std::string::npos);
    EXPECT_NE(qmtest::ReadFile(File("20261207-Unknw.log")).find("07.12.26 00:00:01"), std::string::npos);
    EXPECT_EQ(Writer().LastLogDay(), "20261207");
}

TEST_F(LogFilesTest, ChosenDateNamesTheFilesAndStopsDayChanges) {
    options.General.WriteToLogUnknownID = true;
    options.UseUserDate = true;
    options.UserDate = {2025, 1, 1, 0, 0, 0};
    Writer().PrepareDayFiles(true);
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
    options.IdList = {qmtest::ListeningId("5", "Router", "1")};
    Writer().PrepareDayFiles(true);
    fs::remove(File("20261206-Router.log"));
    EXPECT_EQ(Send("<13>a: lost!"), HandleOutcome::LogFailed);
    EXPECT_EQ(failure, "File not found");
    EXPECT_EQ(reception->Rows().RecordCount(), 0); // not shown either
    EXPECT_EQ(Send("<13>a: next!"), HandleOutcome::Admitted);
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Router.log")).find(" lost"), std::string::npos);
    EXPECT_NE(qmtest::ReadFile(File("20261206-Router.log")).find(" next"), std::string::npos);
}

#ifndef _WIN32
TEST_F(LogFilesTest, ReadOnlyFileIsAccessDenied) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    options.IdList = {qmtest::ListeningId("5", "Router", "1")};
    Writer().PrepareDayFiles(true);
    chmod(File("20261206-Router.log").c_str(), 0444);
    EXPECT_EQ(Send("<13>a: x!"), HandleOutcome::LogFailed);
    EXPECT_EQ(failure, "File access denied");
}
#endif

TEST_F(LogFilesTest, NamesThatAreNotFileNamesNeverGetAFile) {
    options.IdList = {qmtest::ListeningId("5", "../escape", "1"), qmtest::ListeningId("6", "..", "1")};
    Writer().PrepareDayFiles(true);
    EXPECT_EQ(Send("<13>a: x!"), HandleOutcome::LogFailed);
    EXPECT_EQ(failure, "File not found");
    EXPECT_EQ(Send("<14>a: x!"), HandleOutcome::LogFailed);
    EXPECT_FALSE(fs::exists(dir / "20261206-.log"));
    EXPECT_FALSE(fs::exists(dir / "escape.log"));
    EXPECT_TRUE(fs::is_empty(dir / "Log"));
}

// Anything but a regular file under a day file's name (a link a hostile
// user planted, a FIFO) is never written through: it fails like a missing file.
TEST_F(LogFilesTest, ALinkOrAFifoInPlaceOfADayFileIsNeverWrittenThrough) {
    options.IdList = {qmtest::ListeningId("5", "Router", "1"), qmtest::ListeningId("6", "Switch", "1")};
    Writer().PrepareDayFiles(true);
    const fs::path target = dir / "outside.txt";
    qmtest::WriteFile(target, "untouched");
    fs::remove(File("20261206-Router.log"));
    std::error_code ec;
    fs::create_symlink(target, File("20261206-Router.log"), ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    EXPECT_EQ(Send("<13>a: planted!"), HandleOutcome::LogFailed);
    EXPECT_EQ(failure, "File not found");
    EXPECT_EQ(Send("<13>a: again!"),
              HandleOutcome::LogFailed); // re-making the day's files does not follow it
    EXPECT_EQ(qmtest::ReadFile(target), "untouched");
#ifndef _WIN32
    fs::remove(File("20261206-Switch.log"));
    ASSERT_EQ(mkfifo(File("20261206-Switch.log").c_str(), 0600), 0);
    EXPECT_EQ(Send("<14>a: into a pipe!"), HandleOutcome::LogFailed); // at once, not blocked
    EXPECT_EQ(failure, "File not found");
#endif
}

// A day file with a second hard link may be a name outside the log folder
// for the same file: it fails like a link, and nothing reaches the other name.
TEST_F(LogFilesTest, ADayFileWithASecondHardLinkIsNeverWrittenThrough) {
    options.IdList = {qmtest::ListeningId("5", "Router", "1")};
    Writer().PrepareDayFiles(true);
    const fs::path outside = dir / "outside.txt";
    std::error_code ec;
    fs::create_hard_link(File("20261206-Router.log"), outside, ec);
    if (ec) GTEST_SKIP() << "no hard links here: " << ec.message();
    EXPECT_EQ(Send("<13>a: planted!"), HandleOutcome::LogFailed);
    EXPECT_EQ(failure, "File not found");
    EXPECT_EQ(Send("<13>a: again!"), HandleOutcome::LogFailed);
    EXPECT_EQ(fs::file_size(outside), 0u);
}

TEST_F(LogFilesTest, LogFolderIsMadeButNotItsParents) {
    EXPECT_EQ(Writer().PrepareDayFiles(true), LogWriter::Prepared::Ok);
    EXPECT_TRUE(fs::is_directory(dir / "Log"));

    options.General.LogDir = (dir / "missing" / "Log").string();
    Reception other(options, clock);
    EXPECT_EQ(other.Log().PrepareDayFiles(true), LogWriter::Prepared::LogDirUnavailable);
    other.Receive(qmtest::Arrived("<13>a: x!", "1.1.1.1", 1, clock));
    EXPECT_EQ(other.EndRun().front().outcome, HandleOutcome::Shutdown);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

// A run's lines share one open per file, in the order of each file's first
// line, and land in arrival order, byte for byte.
TEST_F(LogFilesTest, ARunOpensEachDayFileOnce) {
    options.General.WriteToLogUnknownID = true;
    options.IdList = {qmtest::ListeningId("13", "Router", "255"), qmtest::ListeningId("14", "Switch")};
    Writer().PrepareDayFiles(true);
    for (const char* d : {"<14>a: s1!", "<13>a: r1!", "<99>a: u1!", "<14>a: s2!", "<13>a: r2!", "<14>a: s3!"})
        Receive(d);
    EXPECT_EQ(reception->Rows().RecordCount(), 0); // nothing shown before its line is written
    EXPECT_EQ(files.Opens(), 0);
    EXPECT_EQ(EndRun(), std::vector<HandleOutcome>(6, HandleOutcome::Admitted));
    EXPECT_EQ(files.opens, (std::map<std::string, int>{{File("20261206-Router.log").string(), 1},
                                                       {File("20261206-Switch.log").string(), 1},
                                                       {File("20261206-Unknw.log").string(), 1}}));
    // A registered priority shows its number; a matched ID without a token colour gives "0".
    const auto line = [](const char* text, const char* name, const char* level, const char* colours) {
        return std::string("06.12.26 21:12:19\xB6"
                           "10.0.0.9\xB6 ") +
               text + "\xB6" + name +
               "\xB6"
               "a\xB6" +
               level +
               "\xB6"
               "514\xB6" +
               colours + "\r\n";
    };
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Switch.log")), line("s1", "Switch", "14",
                                                                  "\xB6"
                                                                  "0") +
                                                                 line("s2", "Switch", "14",
                                                                      "\xB6"
                                                                      "0") +
                                                                 line("s3", "Switch", "14",
                                                                      "\xB6"
                                                                      "0"));
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Router.log")), line("r1", "Router", "13",
                                                                  "255\xB6"
                                                                  "0") +
                                                                 line("r2", "Router", "13",
                                                                      "255\xB6"
                                                                      "0"));
    EXPECT_EQ(qmtest::ReadFile(File("20261206-Unknw.log")), line("u1", "Unknw", "12 (NTP)/3", "\xB6"));
    EXPECT_EQ(reception->Rows().RecordCount(), 6);
    EXPECT_EQ(reception->Rows().Message(0).cells[ColMessage], " s1");
    EXPECT_EQ(reception->Counts().logged, 6u);
}

// A run across midnight: the old day's lines are written first, the new
// day's files are made at its first line.
TEST_F(LogFilesTest, ARunAcrossMidnightWritesEachDayToItsFiles) {
    options.General.WriteToLogUnknownID = true;
    options.IdList = {qmtest::ListeningId("13", "Router"), qmtest::ListeningId("14", "Switch")};
    clock.time = {2026, 12, 6, 23, 59, 58};
    Writer().PrepareDayFiles(true);
    Receive("<13>a: late!");
    Receive("<99>a: late too!");
    clock.time = {2026, 12, 7, 0, 0, 1};
    Receive("<13>a: early!");
    EXPECT_EQ(EndRun(), std::vector<HandleOutcome>(3, HandleOutcome::Admitted));
    EXPECT_NE(qmtest::ReadFile(File("20261206-Router.log")).find(" late\xB6"), std::string::npos);
    EXPECT_NE(qmtest::ReadFile(File("20261206-Unknw.log")).find(" late too\xB6"), std::string::npos);
    EXPECT_NE(qmtest::ReadFile(File("20261207-Router.log")).find("07.12.26 00:00:01"), std::string::npos);
    EXPECT_TRUE(fs::exists(File("20261207-Switch.log"))); // the new day's files, all of them
    EXPECT_TRUE(fs::exists(File("20261207-Unknw.log")));
    EXPECT_EQ(files.opens[File("20261207-Router.log").string()], 1);
    EXPECT_EQ(Writer().LastLogDay(), "20261207");

    // With Set Date in force the operator's day names every file, and no
    // new day's files appear at midnight.
    options.UseUserDate = true;
    options.UserDate = {2025, 1, 1, 0, 0, 0};
    Writer().PrepareDayFiles(true); // as the options' OK does
    clock.time = {2026, 12, 7, 23, 59, 59};
    Receive("<13>a: one!");
    clock.time = {2026, 12, 8, 0, 0, 1};
    Receive("<13>a: two!");
    EndRun();
    EXPECT_EQ(files.opens[File("20250101-Router.log").string()], 1);
    const std::string chosen = qmtest::ReadFile(File("20250101-Router.log"));
    EXPECT_NE(chosen.find("01.01.25 23:59:59"), std::string::npos);
    EXPECT_NE(chosen.find("01.01.25 00:00:01"), std::string::npos);
    EXPECT_FALSE(fs::exists(File("20261208-Router.log")));
}

// A day file deleted before a run costs its first line; the day's files are
// made again and the rest of the run is written.
TEST_F(LogFilesTest, ADeletedDayFileCostsOneLineOfTheRun) {
    options.General.WriteToLogUnknownID = true;
    options.IdList = {qmtest::ListeningId("13", "Router")};
    Writer().PrepareDayFiles(true);
    fs::remove(File("20261206-Router.log"));
    for (const char* d : {"<99>a: u1!", "<13>a: lost!", "<13>a: r2!", "<13>a: r3!"})
        Receive(d);
    const std::vector<Settled> settled = reception->EndRun();
    ASSERT_EQ(settled.size(), 4u);
    EXPECT_EQ(settled[1].outcome, HandleOutcome::LogFailed);
    EXPECT_EQ(settled[1].failure, "File not found");
    for (const std::size_t i : {0u, 2u, 3u})
        EXPECT_EQ(settled[i].outcome, HandleOutcome::Admitted) << i;
    const std::string router = qmtest::ReadFile(File("20261206-Router.log"));
    EXPECT_EQ(router.find(" lost"), std::string::npos);
    EXPECT_LT(router.find(" r2"), router.find(" r3"));
    EXPECT_EQ(reception->Rows().RecordCount(), 3);
    EXPECT_EQ(reception->Counts().logFailures, 1u);
    EXPECT_EQ(reception->Counts().logged, 3u);
}

// A write cut short in the middle of a file's buffer: the whole lines count,
// the partial one is cut back, the rest fail (the disk stays full).
TEST_F(LogFilesTest, AShortWriteKeepsTheWholeLinesOnly) {
    options.General.WriteToLogUnknownID = true;
    Writer().PrepareDayFiles(true);
    Send("<13>a: first!");
    const std::string one = qmtest::ReadFile(File("20261206-Unknw.log"));
    files.shortWriteAfter = one.size() + 10; // the next line and ten bytes of the one after
    files.staysFull = true;
    for (const char* d : {"<13>a: secon!", "<13>a: third!", "<13>a: forth!"})
        Receive(d);
    EXPECT_EQ(EndRun(), (std::vector<HandleOutcome>{HandleOutcome::Admitted, HandleOutcome::LogFailed,
                                                    HandleOutcome::LogFailed}));
    const std::string after = qmtest::ReadFile(File("20261206-Unknw.log"));
    EXPECT_EQ(after.size(), one.size() * 2);
    EXPECT_NE(after.find(" secon\xB6"), std::string::npos);
    EXPECT_EQ(reception->Rows().RecordCount(), 2);
    EXPECT_EQ(reception->Counts().logFailures, 2u);
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
    Writer().PrepareDayFiles(true);
    std::filesystem::remove_all(dir / "Log");
    EXPECT_EQ(Send("<13>a: lost!"), HandleOutcome::LogFailed);
    EXPECT_EQ(failure, "File not found");
    EXPECT_EQ(Send("<13>a: kept!"), HandleOutcome::Admitted); // the folder and the day's files are made again
    EXPECT_NE(qmtest::ReadFile(File("20261206-Unknw.log")).find(" kept"), std::string::npos);
}

#ifndef _WIN32
// A write that fills the file system part way leaves no partial line behind.
// RLIMIT_FSIZE stands in for a full disk: the write stops at the limit.
TEST_F(LogFilesTest, AFullDiskKeepsTheWholeLinesAndCutsThePartOneBack) {
    options.General.WriteToLogUnknownID = true;
    Writer().PrepareDayFiles(true);
    Send("<13>a: first line!");
    const auto file = File("20261206-Unknw.log");
    const std::string before = qmtest::ReadFile(file);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        // Room for the next line and half of the one after.
        const rlim_t limit = before.size() * 2 + 30;
        rlimit r{limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        for (const char* d : {"<13>a: second line!", "<13>a: third line!", "<13>a: fourth line!"})
            Receive(d);
        const std::vector<HandleOutcome> got = EndRun();
        const std::vector<HandleOutcome> want = {HandleOutcome::Admitted, HandleOutcome::LogFailed,
                                                 HandleOutcome::LogFailed};
        _exit(got == want && reception->Rows().RecordCount() == 2 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string after = qmtest::ReadFile(file);
    ASSERT_EQ(after.size(), before.size() * 2 + 1); // the second line whole, the third cut back
    EXPECT_NE(after.find(" second line\xB6"), std::string::npos);
}
#endif

} // namespace
