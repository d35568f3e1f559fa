// Open Log-file, message properties, description and about, on the real window.
#include "AppFixture.h"
#include "reception/LogFiles.h"
#include "app/unitAbout.h"
#include "app/unitDescribe.h"
#include "app/unitMsgViewer.h"

#include <QLabel>
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
    QString Cell(int row, int column) {
        return window->grdViewer->model()->index(row, column).data().toString();
    }

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
    store.writeText(kGeneralKey, "LogDir", dir.path().string());
    TfrmUDP& w = Start(false);
    dialogs.files = {QString::fromStdString(WriteLog("20261206-Router.log", 3))};
    QTest::keyClick(w.grdProcess, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "open");
    EXPECT_EQ(dialogs.shown[0].caption, "Open Log-file");
    EXPECT_EQ(dialogs.shown[0].file.filter, "Log files (*.log)|*.log|All fales (*.*)|*.*");
    EXPECT_EQ(dialogs.shown[0].file.folder.toStdString(), dir.path().string());
    EXPECT_EQ(w.grdViewer->model()->rowCount(), 3);
    EXPECT_EQ(Cell(2, ColMessage), "msg 2");
    EXPECT_EQ(Cell(0, ColPort), "514");
    EXPECT_EQ(Cell(0, ColIdColour), "");
    EXPECT_EQ(w.grdViewer->currentIndex().row(), 2);
    EXPECT_EQ(w.tabMessPage->currentWidget()->objectName(), "tabViewer");
    EXPECT_TRUE(w.grdViewer->isVisible());
}

TEST_F(ViewerTest, ReloadAsksOnlyOverTwoOrMoreRows) {
    TfrmUDP& w = Start(false);
    const QString one = QString::fromStdString(WriteLog("one.log", 1));
    const QString two = QString::fromStdString(WriteLog("two.log", 2));
    dialogs.files = {one, two};
    w.actOpenLog->trigger();
    w.actOpenLog->trigger(); // one data row: no question
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(w.grdViewer->model()->rowCount(), 2);

    dialogs.answers = {false};
    w.actOpenLog->trigger();
    EXPECT_EQ(dialogs.shown.back().kind, "question");
    EXPECT_EQ(dialogs.shown.back().caption, "Load new log-file");
    EXPECT_EQ(dialogs.shown.back().text, "Do you want to clear current Viewer data and load new it?");
    EXPECT_EQ(dialogs.shown.back().icon, BoxIcon::Information);
    EXPECT_EQ(w.grdViewer->model()->rowCount(), 2);

    dialogs.answers = {true};
    dialogs.files = {QString()}; // Yes, then cancel: the old rows stay
    w.actOpenLog->trigger();
    EXPECT_EQ(w.grdViewer->model()->rowCount(), 2);
}

TEST_F(ViewerTest, EmptyFileThenASecondLoadAndAMissingFile) {
    TfrmUDP& w = Start(false);
    qmtest::WriteFile(dir / "empty.log", "");
    dialogs.files = {QString::fromStdString((dir / "empty.log").string()),
                     QString::fromStdString(WriteLog("three.log", 3)),
                     QString::fromStdString((dir / "missing.log").string())};
    w.actOpenLog->trigger();
    EXPECT_EQ(w.grdViewer->model()->rowCount(), 0);
    EXPECT_EQ(w.grdViewer->model()->headerData(0, Qt::Horizontal).toString(), "Date");
    w.actOpenLog->trigger();
    EXPECT_EQ(w.grdViewer->model()->rowCount(), 3);
    dialogs.answers = {true};
    w.actOpenLog->trigger();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text,
              "Cannot open file " + QString::fromStdString((dir / "missing.log").string()) + ".");
    EXPECT_EQ(w.grdViewer->model()->rowCount(), 1); // emptied: one blank row
    EXPECT_TRUE(w.grdViewer->isVisible());
}

TEST_F(ViewerTest, PropertiesOfTheSelectedRowOfTheActivePage) {
    store.writeText(kGeneralKey, "AutoListen", "1");
    TfrmUDP& w = Start();
    QUdpSocket s;
    s.writeDatagram("<13>app: from the net!", QHostAddress::LocalHost,
                    static_cast<quint16>(w.oUdp->BoundPort()));
    ASSERT_TRUE(WaitUntil([&] { return w.ProcessRows().RecordCount() == 1; }));
    w.FlushProcessTable();
    dialogs.files = {QString::fromStdString(WriteLog("a.log", 2))};
    w.actOpenLog->trigger();
    w.grdViewer->selectRow(0);

    QString user, message;
    auto* seen = WithModal<TfrmMessageViewer>(
        [&](TfrmMessageViewer* m) {
            user = m->labUserID->text();
            message = m->memMessage->toPlainText();
            EXPECT_EQ(m->windowTitle(), "Message Viewer");
            EXPECT_EQ(m->labSourcePort->text(), "514");
            EXPECT_EQ(m->labID_RFC->text(), "1 (USER)/5");
            QTest::keyClick(m->memMessage, Qt::Key_Return); // nothing
            EXPECT_TRUE(m->isVisible());
            QTest::keyClick(m->memMessage, Qt::Key_Escape);
            EXPECT_FALSE(m->isVisible());
        },
        [&] { QTest::keyClick(w.grdViewer, Qt::Key_F12); });
    ASSERT_TRUE(seen);
    EXPECT_EQ(user, "Router");
    EXPECT_EQ(message, "msg 0");

    w.tabMessPage->setCurrentIndex(0);
    w.grdProcess->selectRow(0);
    WithModal<TfrmMessageViewer>([&](TfrmMessageViewer* m) { message = m->memMessage->toPlainText(); },
                                 [&] { w.actMessageViewer->trigger(); });
    EXPECT_EQ(message, " from the net");
    // The empty last row gives empty fields.
    w.grdProcess->selectRow(1);
    WithModal<TfrmMessageViewer>([&](TfrmMessageViewer* m) { user = m->labUserID->text(); },
                                 [&] { w.actMessageViewer->trigger(); });
    EXPECT_EQ(user, "");
}

TEST_F(ViewerTest, DescriptionAndAboutWindows) {
    TfrmUDP& w = Start(false);
    QString text;
    auto* describe = WithModal<TfrmDescribe>(
        [&](TfrmDescribe* d) {
            EXPECT_EQ(d->windowTitle(), "Quillmere Describe");
            EXPECT_EQ(d->statusPanel->text(), "   Quillmere Light v.2.0");
            QTest::keyClicks(d->RichEdit1, "typed");
            QTest::keyClick(d->RichEdit1, Qt::Key_Escape);
            EXPECT_FALSE(d->isVisible());
        },
        [&] { w.actHelp->trigger(); });
    ASSERT_TRUE(describe);
    WithModal<TfrmDescribe>([&](TfrmDescribe* d) { text = d->RichEdit1->toPlainText(); },
                            [&] { w.actHelp->trigger(); });
    EXPECT_FALSE(text.contains("typed"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Описание программы")));
    EXPECT_TRUE(text.contains("Quillmere Light version 2.0"));

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        bool closed = false;
        auto* about = WithModal<TfrmAbout>(
            [&](TfrmAbout* a) {
                EXPECT_EQ(a->windowTitle(), "About Quillmere");
                EXPECT_EQ(a->btnClose->geometry(), QRect(234, 63, 75, 25));
                QTest::keyClick(a, key);
                closed = !a->isVisible();
            },
            [&] {
                w.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
                QTest::keyClick(w.grdProcess, Qt::Key_F1);
            });
        ASSERT_TRUE(about);
        EXPECT_TRUE(closed) << key;
    }
}

} // namespace
