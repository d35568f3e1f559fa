// Open Log-file, message properties, description and about, on the real window.
#include "AppFixture.h"
#include "reception/LogFiles.h"
#include "app/unitAbout.h"
#include "app/unitDescribe.h"
#include "app/unitMsgViewer.h"

#include <QClipboard>
#include <QLabel>
#include <QUdpSocket>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

using namespace qm;

namespace {

class ViewerTest : public qmtest::AppFixture {
protected:
    std::string LogLine(const std::string& date, const std::string& message) {
        std::string l = date;
        for (const char* f : {"10.0.0.9", "", "Router", "app", "1 (USER)/5", "514", "255", "0"}) {
            l += kLogFieldSeparator;
            l += std::string(f).empty() ? message : f;
        }
        return l + "\r\n";
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

    // Runs `inside` once the modal window of type T is up, then closes it with `key`.
    template <typename T> T* WithModal(std::function<void(T*)> inside, std::function<void()> open) {
        T* seen = nullptr;
        QTimer::singleShot(50, [&] {
            seen = qobject_cast<T*>(QApplication::activeModalWidget());
            if (seen) inside(seen);
            if (QWidget* still = QApplication::activeModalWidget()) still->close();
        });
        open();
        return seen;
    }
};

TEST_F(ViewerTest, LoadsAFileIntoTheViewer) {
    store.WriteText(kGeneralKey, "LogDir", dir.Path().string());
    Start(false);
    dialogs.files = {QString::fromStdString(WriteLog("20261206-Router.log", 3))};
    QTest::keyClick(Process(), Qt::Key_O, Qt::ControlModifier);
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
    Act("actOpenLog")->trigger();
    Act("actOpenLog")->trigger(); // one data row: no question
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(qmtest::Rows(Viewer()), 2);

    dialogs.answers = {false};
    Act("actOpenLog")->trigger();
    EXPECT_EQ(dialogs.shown.back().kind, "question");
    EXPECT_EQ(dialogs.shown.back().caption, "Load new log-file");
    EXPECT_EQ(dialogs.shown.back().text, "Do you want to clear current Viewer data and load new it?");
    EXPECT_EQ(dialogs.shown.back().icon, BoxIcon::Information);
    EXPECT_EQ(qmtest::Rows(Viewer()), 2);

    dialogs.answers = {true};
    dialogs.files = {QString()}; // Yes, then cancel: the old rows stay
    Act("actOpenLog")->trigger();
    EXPECT_EQ(qmtest::Rows(Viewer()), 2);
}

TEST_F(ViewerTest, EmptyFileThenASecondLoadAndAMissingFile) {
    Start(false);
    qmtest::WriteFile(dir / "empty.log", "");
    dialogs.files = {QString::fromStdString((dir / "empty.log").string()),
                     QString::fromStdString(WriteLog("three.log", 3)),
                     QString::fromStdString((dir / "missing.log").string())};
    Act("actOpenLog")->trigger();
    EXPECT_EQ(qmtest::Rows(Viewer()), 0);
    EXPECT_EQ(Viewer()->model()->headerData(0, Qt::Horizontal).toString(), "Date");
    Act("actOpenLog")->trigger();
    EXPECT_EQ(qmtest::Rows(Viewer()), 3);
    dialogs.answers = {true};
    Act("actOpenLog")->trigger();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text,
              "Cannot open file " + QString::fromStdString((dir / "missing.log").string()) + ".");
    EXPECT_EQ(qmtest::Rows(Viewer()), 1); // emptied: one blank row
    EXPECT_TRUE(Viewer()->isVisible());
}

TEST_F(ViewerTest, PropertiesOfTheSelectedRowOfTheActivePage) {
    store.WriteText(kGeneralKey, "AutoListen", "1");
    TfrmUDP& w = Start();
    QUdpSocket s;
    s.writeDatagram("<13>app: from the net!", QHostAddress::LocalHost,
                    static_cast<quint16>(w.ListeningPort()));
    ASSERT_TRUE(WaitUntil([&] { return Records() == 1; }));
    w.FlushProcessTable();
    dialogs.files = {QString::fromStdString(WriteLog("a.log", 2))};
    Act("actOpenLog")->trigger();
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
    WithModal<TfrmMessageViewer>([&](TfrmMessageViewer* m) { message = qmtest::Child<QPlainTextEdit>(m, "memMessage")->toPlainText(); },
                                 [&] { Act("actMessageViewer")->trigger(); });
    EXPECT_EQ(message, " from the net");
    // The empty last row gives empty fields.
    Process()->selectRow(1);
    WithModal<TfrmMessageViewer>([&](TfrmMessageViewer* m) { user = qmtest::Child<QLabel>(m, "labUserID")->text(); },
                                 [&] { Act("actMessageViewer")->trigger(); });
    EXPECT_EQ(user, "");
}

// A message of any length opens at once; what the operator copies from the
// memo is the message as it came, whatever the memo did to show it.
TEST_F(ViewerTest, AHugeMessageOpensAndCopiesWhole) {
    store.WriteText(kGeneralKey, "AutoListen", "1");
    TfrmUDP& w = Start();
    QByteArray message(" ");
    for (int i = 0; message.size() < 60000; ++i)
        message += (i % 100 ? "part" : "word ") + QByteArray::number(i); // long runs with few spaces
    QUdpSocket s;
    s.writeDatagram("<13>app:" + message + "!", QHostAddress::LocalHost, static_cast<quint16>(w.ListeningPort()));
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
    EXPECT_EQ(copied, QString::fromLatin1(message));
    EXPECT_GT(shown.count('\n'), 10); // shown in blocks
    EXPECT_EQ(shown.remove('\n'), QString::fromLatin1(message));
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
    WithModal<TfrmDescribe>([&](TfrmDescribe* d) { text = qmtest::Child<QTextEdit>(d, "RichEdit1")->toPlainText(); },
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
