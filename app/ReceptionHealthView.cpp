#include "app/ReceptionHealthView.h"

#include "app/unitStatistics.h"
#include "platform/qt/Listeners.h"
#include "reception/Reception.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

namespace qm {

ReceptionHealthView::ReceptionHealthView(const Reception& reception, const Listeners& listeners, QWidget* window)
    : QObject(window), reception_(reception), listeners_(listeners), window_(window),
      actStatistics_(new QAction("Reception stat&istics", window)), panel_(new QLabel("0 msg/s")),
      sinceSample_(std::make_unique<QElapsedTimer>()) {
    actStatistics_->setObjectName("actStatistics");
    actStatistics_->setStatusTip("Reception statistics");
    connect(actStatistics_, &QAction::triggered, this, &ReceptionHealthView::Open);
    panel_->setObjectName("statusPanel2");
    panel_->setTextFormat(Qt::RichText);
    panel_->setMinimumWidth(120);

    // Once a second, whatever arrives (bad datagrams only, or none).
    sinceSample_->start();
    auto* every = new QTimer(this);
    every->setObjectName("tmrHealth");
    every->setInterval(1000);
    connect(every, &QTimer::timeout, this, &ReceptionHealthView::Sample);
    every->start();
}

ReceptionHealthView::~ReceptionHealthView() = default;

ReceptionHealth ReceptionHealthView::Health() const {
    ReceptionHealth health;
    health.counts = reception_.Counts();
    health.listeners = listeners_.Counts();
    // The totals of every listener; the system's drops where any says.
    for (const ListenerCounts& l : health.listeners) {
        health.reader.received += l.received;
        health.reader.bytes += l.bytes;
        health.reader.queueDrops += l.queueDrops;
        if (l.systemDrops) health.reader.systemDrops = health.reader.systemDrops.value_or(0) + *l.systemDrops;
    }
    const TcpCounts tcp = listeners_.Tcp();
    health.connections = tcp.connections;
    for (const TcpListenerCounts& l : tcp.listeners) {
        health.refusedConnections += l.refused;
        health.cutMessages += l.cut;
        health.idleClosedConnections += l.idleClosed;
    }
    health.rate = rate_.Rate();
    health.peakRate = rate_.Peak();
    health.receiveBuffer = listeners_.Udp().ReceiveBufferSize();
    return health;
}

void ReceptionHealthView::Sample() {
    rate_.Sample(listeners_.Received(), static_cast<double>(sinceSample_->restart()) / 1000.0);
    panel_->setText(HealthPanelText(Health()));
    Refresh();
}

void ReceptionHealthView::Refresh() {
    if (statistics_ && statistics_->isVisible())
        statistics_->Refresh(Health(), reception_.UnlistedSenders(), reception_.UnlistedPriorities());
}

void ReceptionHealthView::Open() {
    if (!statistics_) {
        statistics_ = new TfrmStatistics(window_);
        connect(statistics_, &TfrmStatistics::AddToList, this, &ReceptionHealthView::AddToList);
    }
    statistics_->Refresh(Health(), reception_.UnlistedSenders(), reception_.UnlistedPriorities());
    statistics_->show();
    statistics_->raise();
    statistics_->activateWindow();
}

} // namespace qm
