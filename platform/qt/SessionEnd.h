// The end of the operator's session, as the system announces it: on Linux
// SIGTERM, SIGHUP and SIGINT and the session manager's request to save; on
// Windows WM_QUERYENDSESSION, which Qt hands over as that same request.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace qm {

class SessionEnd : public QObject {
    Q_OBJECT
public:
    // Takes the signals over. Call it first thing in main: from then on a
    // signal is noted instead of killing the program half-way.
    static void Install();
    // A signal has come (whether or not an object has heard it yet).
    static bool Requested();

    explicit SessionEnd(QObject* parent = nullptr);

signals:
    // Once per announcement; a signal noted before the object existed is
    // announced as soon as the event loop runs.
    void Ending();

private:
    QSocketNotifier* signals_ = nullptr;
};

} // namespace qm
