// The windows at 100, 150 and 200 % (QT_SCALE_FACTOR, set by CTest for each
// run of this program) on a 1366 x 768 screen (offscreen; under Wine the
// check's display): every top-level window lies inside the available screen,
// and no tab or header caption is wider than its room.
#include "AppFixture.h"
#include "app/unitAbout.h"
#include "app/unitDescribe.h"
#include "app/unitMsgViewer.h"
#include "app/unitStatistics.h"
#include "settings/ui/FittedHeader.h"
#include "settings/ui/unitOptions.h"

#include <QHeaderView>
#include <QImage>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QStyle>
#include <QTabBar>

using namespace qm;

namespace {

class HighDpiTest : public qmtest::AppFixture {
protected:
    // Every failure names the window and the caption.
    void CheckWindow(QWidget* window, const char* name) {
        const QRect screen = window->screen()->availableGeometry();
        // Without a window manager (offscreen) a window has no frame: the one
        // a window manager would add, a title bar and borders, is counted.
        QRect framed = window->frameGeometry();
        if (framed == window->geometry()) {
            const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
            framed.adjust(-4, -title - 4, 4, 4);
        }
        EXPECT_TRUE(screen.contains(framed))
            << name << " framed at " << framed.x() << "," << framed.y() << " " << framed.width() << "x"
            << framed.height() << " on a screen of " << screen.width() << "x" << screen.height();
        for (QTabBar* bar : window->findChildren<QTabBar*>()) {
            if (!bar->isVisible()) continue;
            // The width each tab takes where nothing squeezes it.
            QTabBar free;
            free.setFont(bar->font());
            free.setIconSize(bar->iconSize());
            free.setStyleSheet(bar->styleSheet());
            free.setShape(bar->shape());
            free.setExpanding(false);
            free.setElideMode(Qt::ElideNone);
            for (int i = 0; i < bar->count(); ++i)
                free.addTab(bar->tabIcon(i), bar->tabText(i));
            free.resize(free.sizeHint());
            for (int i = 0; i < bar->count(); ++i) {
                const QRect tab(bar->mapTo(window, bar->tabRect(i).topLeft()), bar->tabRect(i).size());
                EXPECT_TRUE(window->rect().contains(tab))
                    << name << ": tab \"" << bar->tabText(i).toStdString() << "\" outside the window";
            }
            for (int i = 0; i < bar->count(); ++i)
                EXPECT_GE(bar->tabRect(i).width(), free.tabRect(i).width())
                    << name << ": tab \"" << bar->tabText(i).toStdString() << "\" squeezed: "
                    << bar->tabRect(i).width() << " < " << free.tabRect(i).width();
        }
        for (QHeaderView* header : window->findChildren<QHeaderView*>()) {
            if (!header->isVisible() || header->orientation() != Qt::Horizontal || !header->model()) continue;
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int s = 0; s < header->count(); ++s) {
                if (header->isSectionHidden(s) || header->sectionSize(s) == 0) continue;
                const QString caption = header->model()->headerData(s, Qt::Horizontal).toString();
                int widest = 0, room = header->sectionSize(s) - 2 * margin;
                if (auto* fitted = qobject_cast<FittedHeader*>(header)) {
                    const FittedHeader::Fit fit = fitted->FitOf(s);
                    for (const QString& line : fit.lines)
                        widest = std::max(widest, QFontMetrics(fit.font).horizontalAdvance(line));
                    room = fitted->TextRoom(header->sectionSize(s));
                } else {
                    widest = header->fontMetrics().horizontalAdvance(caption);
                }
                EXPECT_LE(widest, room) << name << ": header \"" << caption.toStdString() << "\"";
            }
            if (auto* fitted = qobject_cast<FittedHeader*>(header)) ExpectInk(fitted, name);
        }
    }

    // A caption that fits but is drawn in the background's colour is as good
    // as none: each section's text room holds pixels near the text colour.
    static void ExpectInk(FittedHeader* header, const char* name) {
        const QImage image = header->grab().toImage();
        const qreal dpr = image.devicePixelRatio();
        const QColor ink = header->palette().color(QPalette::ButtonText);
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int s = 0; s < header->count(); ++s) {
            const QString caption = header->model()->headerData(s, Qt::Horizontal).toString();
            if (header->isSectionHidden(s) || header->sectionSize(s) == 0 || caption.trimmed().isEmpty()) continue;
            const QRect room(header->sectionViewportPosition(s) + margin, 0, header->TextRoom(header->sectionSize(s)),
                             header->height());
            const QRect pixels(QPoint(qRound(room.left() * dpr), qRound(room.top() * dpr)),
                               QPoint(qRound(room.right() * dpr), qRound(room.bottom() * dpr)));
            bool inked = false;
            for (int y = pixels.top(); y <= pixels.bottom() && y < image.height() && !inked; ++y)
                for (int x = pixels.left(); x <= pixels.right() && x < image.width() && !inked; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    inked = std::abs(c.red() - ink.red()) + std::abs(c.green() - ink.green()) +
                                std::abs(c.blue() - ink.blue()) < 120;
                }
            EXPECT_TRUE(inked) << name << ": header \"" << caption.toStdString() << "\" is not drawn";
        }
    }
};

TEST_F(HighDpiTest, EveryWindowFitsTheScreenAndEveryCaptionItsRoom) {
    // The screen CTest gives the offscreen platform; under Wine the display's own.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (const QString expected = qEnvironmentVariable("QM_TEST_SCREEN"); !expected.isEmpty()) {
        ASSERT_NEAR(screen->size().width() * screen->devicePixelRatio(), expected.section('x', 0, 0).toInt(), 2);
        ASSERT_NEAR(screen->size().height() * screen->devicePixelRatio(), expected.section('x', 1, 1).toInt(), 2);
    }
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    TfrmUDP& w = Start(false);
    CheckWindow(&w, "main window");
    for (const auto& [command, name] :
         {std::pair{"actOptions", "options, General"}, std::pair{"actEditIDList", "options, ID list"},
          std::pair{"actEditIPList", "options, IP list"}, std::pair{"actEditTokenList", "options, Token list"}})
        WithModal<TfrmOptions>([&, name = name](TfrmOptions* d) { CheckWindow(d, name); },
                               [&, command = command] { Act(command)->trigger(); });
    WithModal<TfrmMessageViewer>([&](TfrmMessageViewer* d) { CheckWindow(d, "message properties"); },
                                 [&] { Act("actMessageViewer")->trigger(); });
    WithModal<TfrmAbout>([&](TfrmAbout* d) { CheckWindow(d, "about"); }, [&] { Act("actAbout")->trigger(); });
    WithModal<TfrmDescribe>([&](TfrmDescribe* d) { CheckWindow(d, "describe"); },
                            [&] { Act("actHelp")->trigger(); });
    Act("actStatistics")->trigger();
    auto* statistics = window->findChild<TfrmStatistics*>("frmStatistics");
    ASSERT_TRUE(statistics);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(statistics));
    CheckWindow(statistics, "reception statistics");
    // At 100 % every counter and eight rows of each table show at once.
    if (qEnvironmentVariable("QT_SCALE_FACTOR", "1") == "1") {
        auto* scroll = statistics->findChild<QScrollArea*>("scrStatistics");
        ASSERT_TRUE(scroll);
        EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0) << "the counters need scrolling";
        EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0) << "the tables need scrolling";
        for (QTableWidget* table : statistics->findChildren<QTableWidget*>()) {
            EXPECT_GE(table->viewport()->height(), 8 * table->verticalHeader()->defaultSectionSize())
                << table->objectName().toStdString();
            EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0) << table->objectName().toStdString() << ": columns cut";
        }
    }
}

} // namespace
