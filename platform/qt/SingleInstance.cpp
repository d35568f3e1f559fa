#include "platform/qt/SingleInstance.h"

#include "platform/InstanceName.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

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
        running.flush();
        // Until the running copy says it heard (a pipe closed at once may
        // lose what was written on Windows); a copy too busy to answer has
        // its request all the same.
        running.waitForReadyRead(kWaitMs);
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
            // The request may be in before the signals are connected, or come
            // with the end of the connection.
            const auto heard = [this, later] {
                if (later->property("heard").toBool() || !later->readAll().contains('\n')) return;
                later->setProperty("heard", true);
                later->write("ok\n");
                later->flush();
                emit ComeForward();
            };
            connect(later, &QLocalSocket::readyRead, this, heard);
            connect(later, &QLocalSocket::disconnected, this, [later, heard] {
                heard();
                later->deleteLater();
            });
            heard();
        }
    });
    return true;
}

} // namespace qm
