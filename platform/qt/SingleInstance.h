// One copy of the program per user: a second start asks the running copy to
// come forward and ends at once, writing nothing; two copies would fight
// over the port and over the settings.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace qm {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `name`: the user's copy (UserInstanceName).
    explicit SingleInstance(QString name, QObject* parent = nullptr);

    // True when no other copy runs: this one then listens for later starts,
    // taking over an endpoint a crashed copy left. False when another copy
    // runs: it was asked to come forward.
    bool Claim();

signals:
    // A later start asked this copy to show its window.
    void ComeForward();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

} // namespace qm
