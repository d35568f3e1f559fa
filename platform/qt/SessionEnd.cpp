#include "platform/qt/SessionEnd.h"

#include "platform/SessionSignals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

namespace qm {

void SessionEnd::Install() {
    InstallSessionSignals();
}

bool SessionEnd::Requested() {
    return SessionSignalCaught();
}

SessionEnd::SessionEnd(QObject* parent) : QObject(parent) {
    if (const long long fd = SessionSignalHandle(); fd >= 0) {
        signals_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
        connect(signals_, &QSocketNotifier::activated, this, [this] {
            if (DrainSessionSignals()) emit Ending();
        });
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { emit Ending(); });
}

} // namespace qm
