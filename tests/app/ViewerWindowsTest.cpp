// Open Log-file, message properties, description and about, on the real window.
#include "AppFixture.h"
#include "support/DayFileLine.h"
#include "app/unitAbout.h"
#include "app/unitDescribe.h"
#include "app/unitMsgViewer.h"
#include "platform/qt/DisplayText.h"
#include "reception/LogFileReader.h"
#include "reception/LogFiles.h"

#include <QClipboard>
#include <QLabel>
#include <QUdpSocket>

#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

using namespace qm;

namespace {

class ViewerTest : public qmtest::AppFixture {
protected:
    std::string LogLine(const std::string& date, const std::string& message) {
        return qmtest::DayFileLine({.stamp = date, .message = message});
    }
    std::string WriteLog(const std::string& name, int lines) {
        std::string text;
        for (int i = 0; i < lines; ++i)
            text += LogLine("06.12.26 21:12:" + std::to_string(10 + i), "msg " + std::to_string(i));
        const auto path = dir / name;
        qmtest::WriteFile(path, text);
        return path.string();
    }
    QString Cell(int row, int column) { return qmtest::CellText(Viewer(), row, column); }
};

TEST_F(ViewerTest, LoadsAFileIntoTheViewer) {
    store.WriteText(kGeneralKey, "LogDir", dir.Path().string());
    Start(false);
    dialogs.files = {QString::fromStdString(WriteLog("20261206-Router.log", 3))};
    OpenLog();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "open");
    EXPECT_EQ(dialogs.shown[0].caption, "Open Log-file");
    EXPECT_EQ(dialogs.shown[0].file.filter, "Log files (*.log)|*.log|All fales (*.*)|*.*");
    EXPECT_EQ(dialogs.shown[0].file.folder.toStdString(), dir.Path().string());
    EXPECT_EQ(qmtest::Rows(Viewer()), 3);
    EXPECT_EQ(Cell(2, ColMessage), "msg 2");
    EXPECT_EQ(Cell(0, ColPort), "514");
    EXPECT_EQ(Cell(0, ColIdColour), "");
    EXPECT_EQ(Viewer()->currentIndex().row(), 2);
    EXPECT_EQ(Page("tabMessPage"), "tabViewer");
    EXPECT_TRUE(Viewer()->isVisible());
}

TEST_F(ViewerTest, ReloadAsksOnlyOverTwoOrMoreRows) {
    Start(false);
    const QString one = QString::fromStdString(WriteLog("one.log", 1));
    const QString two = QString::fromStdString(WriteLog("two.log", 2));
    dialogs.files = {one, two};
    OpenLog();
    OpenLog(); // one data row: no question
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(qmtest::Rows(Viewer()), 2);

    dialogs.answers = {false};
    OpenLog();
    EXPECT_EQ(dialogs.shown.back().kind, "question");
    EXPECT_EQ(dialogs.shown.back().caption, "Load new log-file");
    EXPECT_EQ(dialogs.shown.back().text, "Do you want to clear current Viewer data and load new it?");
    EXPECT_EQ(dialogs.shown.back().icon, BoxIcon::Information);
    EXPECT_EQ(qmtest::Rows(Viewer()), 2);

    dialogs.answers = {true};
    dialogs.files = {QString()}; // Yes, then cancel: the old rows stay
    OpenLog();
    EXPECT_EQ(qmtest::Rows(Viewer()), 2);
}

TEST_F(ViewerTest, EmptyFileThenASecondLoadAndAMissingFile) {
    Start(false);
    qmtest::WriteFile(dir / "empty.log", "");
    dialogs.files = {QString::fromStdString((dir / "empty.log").string()),
                     QString::fromStdString(WriteLog("three.log", 3)),
                     QString::fromStdString((dir / "missing.log").string())};
    OpenLog();
    EXPECT_EQ(qmtest::Rows(Viewer()), 0);
    EXPECT_EQ(Viewer()->model()->headerData(0, Qt::Horizontal).toString(), "Date");
    OpenLog();
    EXPECT_EQ(qmtest::Rows(Viewer()), 3);
    dialogs.answers = {true};
    OpenLog();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text,
              "Cannot open file " + QString::fromStdString((dir / "missing.log").string()) + ".");
    EXPECT_EQ(qmtest::Rows(Viewer()), 1); // emptied: one blank row
    EXPECT_TRUE(Viewer()->isVisible());
}

// A file the viewer cannot show is refused with the reason, and the table
// stays empty and usable.
TEST_F(ViewerTest, FilesItCannotShowAreRefusedWithTheReason) {
    Start(false);
    const std::string fifo = (dir / "fifo.log").string();
#ifdef _WIN32
    std::filesystem::create_directory(fifo); // no FIFOs here; a folder is no regular file either
#else
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0); // nobody writes to it: opening must not wait
#endif
    qmtest::WriteFile(dir / "feeds.log", std::string(kMaxViewerLines + 1, '\n'));
    const std::pair<std::string, QString> cases[] = {
        {fifo, "it is not a regular file"},
        {(dir / "feeds.log").string(), "it has 20,000,001 lines, and the Viewer takes at most 20,000,000"},
    };
    for (const auto& [file, reason] : cases) {
        dialogs.files = {QString::fromStdString(file)};
        dialogs.answers = {true};
        OpenLog();
        ASSERT_FALSE(dialogs.Messages().empty());
        EXPECT_EQ(dialogs.Messages().back().text,
                  "Cannot open file " + QString::fromStdString(file) + ": " + reason + ".");
        EXPECT_EQ(qmtest::Rows(Viewer()), 1);
        EXPECT_FALSE(Viewer()->isHidden()); // shown again, on its page
    }
}

// Every line of every file shows: a NUL is a byte of its field, and letters
// whose UTF-8 bytes hold the separator byte stay in their fields.
TEST_F(ViewerTest, EveryLineShowsWhateverItHolds) {
    Start(false);
    std::string text = LogLine("06.12.26 21:12:10", std::string("a\0b", 3));
    std::string koeln = LogLine("06.12.26 21:12:11", "from K\xC3\xB6ln");
    koeln.replace(koeln.find("10.0.0.9"), 8, "K\xC3\xB6ln");
    text += koeln + LogLine("06.12.26 21:12:12", "last");
    qmtest::WriteFile(dir / "odd.log", text);
    dialogs.files = {QString::fromStdString((dir / "odd.log").string())};
    OpenLog();
    ASSERT_EQ(qmtest::Rows(Viewer()), 3);
    EXPECT_EQ(Cell(0, ColMessage), QString::fromUtf8("a\xE2\x90\x80"
                                                     "b"));
    // The fields keep their bytes whole; how they read is the system's text
    // rule (UTF-8 on Linux, the ANSI code page on Windows).
    EXPECT_EQ(Cell(1, ColAliasIp), DisplayText("K\xC3\xB6ln"));
    EXPECT_EQ(Cell(1, ColMessage), DisplayText("from K\xC3\xB6ln"));
    EXPECT_EQ(Cell(1, ColName), "Router");
    EXPECT_EQ(Cell(2, ColMessage), "last");
}

// A load that takes a while shows its progress; Cancel stops it and leaves
// an empty table, the hourglass gone.
TEST_F(ViewerTest, ALongLoadShowsProgressAndCancelLeavesAnEmptyTable) {
    store.WriteText(kGeneralKey, "AutoSizeGrid", "1");
    logProgressAfterMs = 0;
    Start(false);
    std::string lines;
    for (int i = 0; lines.size() < (1u << 20); ++i)
        lines += LogLine("06.12.26 21:12:10", "message " + std::to_string(i));
    {
        std::ofstream big(dir / "big.log", std::ios::binary);
        for (int i = 0; i < 64; ++i)
            big << lines;
    }
    dialogs.files = {QString::fromStdString((dir / "big.log").string())};
    PressOpenLog();
    QProgressDialog* progress = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        progress = window->findChild<QProgressDialog*>("dlgLogLoad");
        return progress && progress->isVisible();
    }));
    EXPECT_EQ(progress->windowTitle(), "Open Log-file");
    EXPECT_TRUE(window->LoadingLog());
    QPushButton* cancel = progress->findChild<QPushButton*>();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->text(), "Cancel");
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !window->LoadingLog(); }));
    EXPECT_EQ(qmtest::Rows(Viewer()), 1);
    EXPECT_FALSE(Viewer()->isHidden()); // shown again, on its page
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ViewerTest, PropertiesOfTheSelectedRowOfTheActivePage) {
    store.WriteText(kGeneralKey, "AutoListen", "1");
    TfrmUDP& w = Start();
    Send("<13>app: from the net!");
    ASSERT_TRUE(WaitUntil([&] { return Records() == 1; }));
    w.FlushProcessTable();
    dialogs.files = {QString::fromStdString(WriteLog("a.log", 2))};
    OpenLog();
    Viewer()->selectRow(0);

    QString user, message;
    auto* seen = WithModal<TfrmMessageViewer>(
        [&](TfrmMessageViewer* m) {
            user = qmtest::Child<QLabel>(m, "labUserID")->text();
            message = qmtest::Child<QPlainTextEdit>(m, "memMessage")->toPlainText();
            EXPECT_EQ(m->windowTitle(), "Message Viewer");
            EXPECT_EQ(qmtest::Child<QLabel>(m, "labSourcePort")->text(), "514");
            EXPECT_EQ(qmtest::Child<QLabel>(m, "labID_RFC")->text(), "1 (USER)/5");
            QTest::keyClick(qmtest::Child<QPlainTextEdit>(m, "memMessage"), Qt::Key_Return); // nothing
            EXPECT_TRUE(m->isVisible());
            QTest::keyClick(qmtest::Child<QPlainTextEdit>(m, "memMessage"), Qt::Key_Escape);
            EXPECT_FALSE(m->isVisible());
        },
        [&] { QTest::keyClick(Viewer(), Qt::Key_F12); });
    ASSERT_TRUE(seen);
    EXPECT_EQ(user, "Router");
    EXPECT_EQ(message, "msg 0");

    Find<QTabWidget>("tabMessPage")->setCurrentIndex(0);
    Process()->selectRow(0);
    WithModal<TfrmMessageViewer>(
        [&](TfrmMessageViewer* m) {
            message = qmtest::Child<QPlainTextEdit>(m, "memMessage")->toPlainText();
        },
        [&] { Act("actMessageViewer")->trigger(); });
    EXPECT_EQ(message, " from the net");
    // The empty last row gives empty fields.
    Process()->selectRow(1);
    WithModal<TfrmMessageViewer>(
        [&](TfrmMessageViewer* m) { user = qmtest::Child<QLabel>(m, "labUserID")->text(); },
        [&] { Act("actMessageViewer")->trigger(); });
    EXPECT_EQ(user, "");
}

// A message in a standard form shows its fields below the message: from the
// datagram of a live row, rebuilt from the Tag and Message of a log line.
TEST_F(ViewerTest, StandardFormsShowTheirFields) {
    if (!std::filesystem::exists("/usr/bin/logger") || !std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "util-linux logger and Python are the senders";
    store.WriteText(kGeneralKey, "WriteToLog", "1");
    store.WriteText(kGeneralKey, "LogDir", (dir / "Log").string());
    store.WriteText(kGeneralKey, "AutoListen", "1");
    store.WriteText(kIdKey, "12", "Disk,Yes,,255,No,Yes");
    TfrmUDP& w = Start();
    const std::string port = std::to_string(w.ListeningPort());
    for (const std::vector<std::string>& form :
         {std::vector<std::string>{"--rfc5424", "--sd-id", "probe@32473", "--sd-param", "zone=\"eu\"",
                                   "--msgid", "ID47"},
          std::vector<std::string>{"--rfc3164"}}) {
        std::vector<std::string> args{
            "/usr/bin/logger", "-n", "127.0.0.1", "-P", port, "-d", "-t", "disk", "-p", "user.warning"};
        args.insert(args.end(), form.begin(), form.end());
        args.push_back("disk almost full");
        auto r = qmtest::RunProcess(args);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        ASSERT_TRUE(WaitUntil([&] { return Records() == (form.size() > 1 ? 1 : 2); }));
    }
    // Python's logging sends the priority and the text only.
    auto py = qmtest::RunProcess(
        {"/usr/bin/python3", "-c",
         "import logging, logging.handlers, sys\n"
         "h = logging.handlers.SysLogHandler(('127.0.0.1', int(sys.argv[1])))\n"
         "h.emit(logging.makeLogRecord({'msg': 'from python', 'levelno': 30, 'levelname': 'WARNING'}))\n",
         port});
    ASSERT_EQ(py.exitCode, 0) << py.output;
    ASSERT_TRUE(WaitUntil([&] { return Records() == 3; }));
    w.FlushProcessTable();

    // Each field as "name=value", the structured data's parameters indented.
    const auto fieldsOf = [&](QTableView* grid, int row) {
        QStringList fields;
        QString form;
        grid->setFocus();
        grid->selectRow(row);
        WithModal<TfrmMessageViewer>(
            [&](TfrmMessageViewer* m) {
                form = qmtest::Child<QLabel>(m, "labStructuredForm")->text();
                auto* tree = qmtest::Child<QTreeWidget>(m, "treStructured");
                for (int i = 0; i < tree->topLevelItemCount(); ++i) {
                    const QTreeWidgetItem* item = tree->topLevelItem(i);
                    fields << item->text(0) + "=" + item->text(1);
                    for (int c = 0; c < item->childCount(); ++c)
                        fields << "  " + item->child(c)->text(0) + "=" + item->child(c)->text(1);
                }
            },
            [&] { Act("actMessageViewer")->trigger(); });
        return form + "|" + fields.join("|");
    };
    const QString rfc5424 = fieldsOf(Process(), 0);
    EXPECT_TRUE(rfc5424.startsWith("RFC 5424|Priority=12|Version=1|Timestamp=20")) << rfc5424.toStdString();
    EXPECT_TRUE(rfc5424.contains("|App-name=disk|Process ID=-|Message ID=ID47|")) << rfc5424.toStdString();
    EXPECT_TRUE(rfc5424.endsWith("|Structured data=probe@32473|  zone=eu|Message=disk almost full"))
        << rfc5424.toStdString();
    const QString rfc3164 = fieldsOf(Process(), 1);
    EXPECT_TRUE(rfc3164.startsWith("RFC 3164|Priority=12|Timestamp=")) << rfc3164.toStdString();
    EXPECT_TRUE(rfc3164.endsWith("|Tag=disk|PID=|Message=disk almost full")) << rfc3164.toStdString();
    EXPECT_EQ(fieldsOf(Process(), 2), "Not in a standard form.|");
    EXPECT_TRUE(qmtest::CellText(Process(), 2, ColMessage)
                    .contains("from python")); // the table keeps its own decoding

    // The log line keeps the Tag and Message fields only (the last byte of
    // the datagram is never logged).
    dialogs.files = {QString::fromStdString((dir / "Log" / "20261206-Disk.log").string())};
    Act("actOpenLog")->trigger(); // (the modal windows above took the key focus from the window)
    ASSERT_TRUE(WaitUntil([&] { return !window->LoadingLog() && qmtest::Rows(Viewer()) == 3; }));
    const QString rebuilt = fieldsOf(Viewer(), 1);
    EXPECT_TRUE(rebuilt.startsWith("RFC 3164 (rebuilt from the Tag and Message fields)|Timestamp="))
        << rebuilt.toStdString();
    EXPECT_TRUE(rebuilt.endsWith("|Tag=disk|PID=|Message=disk almost ful")) << rebuilt.toStdString();
}

// The reason a message is not in a standard form is read whole: the line
// wraps and the field tree moves down for it.
TEST_F(ViewerTest, TheReasonLineWrapsAndIsReadWhole) {
    qmtest::WriteFile(dir / "reason.log", qmtest::DayFileLine({.stamp = "06.12.26 21:12:19",
                                                             .message = "12:19Z host app - ID47 [probe@1 zone=\"eu\"",
                                                             .name = "Disk",
                                                             .tag = "1 2026-12-06T21",
                                                             .sourceLevel = "13"}));
    Start(false);
    dialogs.files = {QString::fromStdString((dir / "reason.log").string())};
    OpenLog();
    Viewer()->setFocus();
    Viewer()->selectRow(0);
    QString text;
    bool whole = false, treeBelow = false;
    WithModal<TfrmMessageViewer>(
        [&](TfrmMessageViewer* m) {
            auto* label = qmtest::Child<QLabel>(m, "labStructuredForm");
            auto* tree = qmtest::Child<QTreeWidget>(m, "treStructured");
            text = label->text();
            whole = label->wordWrap() && label->height() >= label->heightForWidth(label->width());
            treeBelow = tree->geometry().top() > label->geometry().bottom();
        },
        [&] { Act("actMessageViewer")->trigger(); });
    EXPECT_TRUE(text.startsWith("Not in a standard form (rebuilt from the Tag and Message fields): "))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(".")) << text.toStdString();
    EXPECT_GT(QFontMetrics(QFont()).horizontalAdvance(text), 334); // longer than one line
    EXPECT_TRUE(whole);
    EXPECT_TRUE(treeBelow);
}

// A message of any length opens at once; what the operator copies from the
// memo is the message as it came, whatever the memo did to show it.
TEST_F(ViewerTest, AHugeMessageOpensAndCopiesWhole) {
    store.WriteText(kGeneralKey, "AutoListen", "1");
    TfrmUDP& w = Start();
    QByteArray message(" ");
    for (int i = 0; message.size() < 60000; ++i)
        message += (i % 100 ? "part" : "word ") + QByteArray::number(i); // long runs with few spaces
    Send("<13>app:" + message + "!");
    ASSERT_TRUE(WaitUntil([&] { return Records() == 1; }));
    w.FlushProcessTable();
    Process()->selectRow(0);
    QString copied, shown;
    WithModal<TfrmMessageViewer>(
        [&](TfrmMessageViewer* m) {
            auto* memo = qmtest::Child<QPlainTextEdit>(m, "memMessage");
            shown = memo->toPlainText();
            QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
            copied = QGuiApplication::clipboard()->text();
        },
        [&] { Act("actMessageViewer")->trigger(); });
    // Compared whole, reported by size: a failure must not print 60 KB.
    EXPECT_TRUE(copied == QString::fromLatin1(message)) << copied.size() << " characters copied";
    EXPECT_GT(shown.count('\n'), 10); // shown in blocks
    EXPECT_TRUE(shown.remove('\n') == QString::fromLatin1(message)) << shown.size() << " characters shown";
}

TEST_F(ViewerTest, DescriptionAndAboutWindows) {
    TfrmUDP& w = Start(false);
    QString text;
    auto* describe = WithModal<TfrmDescribe>(
        [&](TfrmDescribe* d) {
            EXPECT_EQ(d->windowTitle(), "Quillmere Describe");
            EXPECT_EQ(qmtest::Child<QLabel>(d, "statusPanel")->text(), "   Quillmere Light v.2.0");
            QTest::keyClicks(qmtest::Child<QTextEdit>(d, "RichEdit1"), "typed");
            QTest::keyClick(qmtest::Child<QTextEdit>(d, "RichEdit1"), Qt::Key_Escape);
            EXPECT_FALSE(d->isVisible());
        },
        [&] { Act("actHelp")->trigger(); });
    ASSERT_TRUE(describe);
    WithModal<TfrmDescribe>(
        [&](TfrmDescribe* d) { text = qmtest::Child<QTextEdit>(d, "RichEdit1")->toPlainText(); },
        [&] { Act("actHelp")->trigger(); });
    EXPECT_FALSE(text.contains("typed"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Описание программы")));
    EXPECT_TRUE(text.contains("Quillmere Light version 2.0"));

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        bool closed = false;
        auto* about = WithModal<TfrmAbout>(
            [&](TfrmAbout* a) {
                EXPECT_EQ(a->windowTitle(), "About Quillmere");
                EXPECT_EQ(qmtest::Child<QPushButton>(a, "btnClose")->geometry(), QRect(234, 63, 75, 25));
                QTest::keyClick(a, key);
                closed = !a->isVisible();
            },
            [&] {
                w.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
                QTest::keyClick(Process(), Qt::Key_F1);
            });
        ASSERT_TRUE(about);
        EXPECT_TRUE(closed) << key;
    }
}

} // namespace
