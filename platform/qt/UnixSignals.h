// Hands SIGTERM, SIGHUP and SIGINT over to the UI thread, where they arrive
// as a Qt signal (the session's end on Linux).
#pragma once

#include <QObject>

class QSocketNotifier;

namespace qm {

class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

signals:
    void Terminate(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qm
