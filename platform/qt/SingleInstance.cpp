#include "platform/qt/SingleInstance.h"

#include "platform/InstanceName.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace qm {

namespace {

constexpr char kComeForward[] = "come forward\n";
constexpr int kWaitMs = 2000;

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

bool SingleInstance::Claim() {
    QLocalSocket running;
    running.connectToServer(name_);
    if (running.waitForConnected(kWaitMs)) {
        AllowOtherToComeForward();
        running.write(kComeForward);
        running.waitForBytesWritten(kWaitMs);
        running.disconnectFromServer();
        return false;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered: an endpoint still there was left by a copy that crashed.
    if (!server_->listen(name_)) {
        QLocalServer::removeServer(name_);
        server_->listen(name_);
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* later = server_->nextPendingConnection()) {
            connect(later, &QLocalSocket::readyRead, this, [this, later] {
                if (later->readAll().contains('\n')) emit ComeForward();
            });
            connect(later, &QLocalSocket::disconnected, later, &QObject::deleteLater);
        }
    });
    return true;
}

} // namespace qm
