// Driving the real widgets as the operator does: found by their objectName.
#pragma once

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTableView>

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

} // namespace qmtest
