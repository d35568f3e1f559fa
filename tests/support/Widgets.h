// Driving the real widgets as the operator does: found by their objectName.
#pragma once

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

#include <ostream>

// gtest prints QStrings as text.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace qmtest {

// The child of `root` named `name`, or null.
template <typename T> T* Child(const QObject* root, const char* name) {
    return root->findChild<T*>(QString::fromLatin1(name));
}

// What a table cell shows.
inline QString CellText(const QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

inline int Rows(const QTableView* view) {
    return view->model()->rowCount();
}

// Runs the event loop until `pred` holds, at most `ms`; whether it came to hold.
template <typename Pred> bool WaitUntil(Pred pred, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Runs the event loop until everything already queued has run, and what
// that queued in turn, three rounds deep: a check that something did not
// happen looks only once it would have. Never a fixed time.
inline void Settle() {
    for (int round = 0; round < 3; ++round) {
        bool reached = false;
        QTimer::singleShot(0, [&] { reached = true; });
        if (!WaitUntil([&] { return reached; }))
            ADD_FAILURE() << "the event loop did not come round within 5 s";
    }
}

} // namespace qmtest
