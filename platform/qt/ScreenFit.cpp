#include "platform/qt/ScreenFit.h"

#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace qm {

namespace {

QMargins ActualFrame(const QWidget* window) {
    const QRect outer = window->frameGeometry(), inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// One fit with the frame given; true when the window had to change.
bool Fit(QWidget* window, const QMargins& frame) {
    const QScreen* screen = window->screen();
    if (!screen) return false;
    const QRect available = screen->availableGeometry();
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize size = window->size().boundedTo(room).expandedTo(window->minimumSize());
    bool changed = false;
    if (size != window->size()) {
        window->resize(size);
        changed = true;
    }
    // The client area where the whole frame stays inside.
    const QRect inner = window->geometry();
    const int left = std::clamp(inner.left(), available.left() + frame.left(),
                                std::max(available.left() + frame.left(), available.right() - frame.right() - inner.width() + 1));
    const int top = std::clamp(inner.top(), available.top() + frame.top(),
                               std::max(available.top() + frame.top(), available.bottom() - frame.bottom() - inner.height() + 1));
    if (left != inner.left() || top != inner.top()) {
        // move() places the frame's corner once there is a frame, the client's before.
        const QMargins now = ActualFrame(window);
        window->move(left - now.left(), top - now.top());
        changed = true;
    }
    return changed;
}

} // namespace

QMargins ExpectedFrame(const QWidget* window) {
    const QMargins actual = ActualFrame(window);
    if (actual.top() > 0) return actual;
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const int border = std::max(4, window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, window));
    return {border, title + border, border, border};
}

void FitOnScreen(QWidget* window) {
    Fit(window, ExpectedFrame(window));
    // The window manager frames the window after it is shown: fitted again
    // with the frame it really got.
    QPointer<QWidget> guarded(window);
    QTimer::singleShot(100, window, [guarded] {
        if (guarded && guarded->isVisible() && ActualFrame(guarded).top() > 0) Fit(guarded, ActualFrame(guarded));
    });
}

} // namespace qm
