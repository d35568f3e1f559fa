// Reception's health: the rate and the losses in the status bar, and the
// statistics window with the senders no list knows.
#include "app/unitStatistics.h"
#include "app/unitUdp_Ui.h"
#include "platform/qt/TNMUDP.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

namespace qm {

void TfrmUDP::BuildHealth() {
    ui->statusPanel2 = new QLabel("0 msg/s");
    ui->statusPanel2->setObjectName("statusPanel2");
    ui->statusPanel2->setTextFormat(Qt::RichText);
    ui->statusPanel2->setMinimumWidth(120);
    statusBar()->addPermanentWidget(ui->statusPanel2);

    ui->actStatistics = new QAction("Reception stat&istics", this);
    ui->actStatistics->setObjectName("actStatistics");
    ui->actStatistics->setStatusTip("Reception statistics");
    menuBar()->findChild<QMenu*>("mnuView")->addAction(ui->actStatistics);
    connect(ui->actStatistics, &QAction::triggered, this, &TfrmUDP::actStatisticsExecute);

    // Once a second, whatever arrives (bad datagrams only, or none).
    ui->sinceSample = std::make_unique<QElapsedTimer>();
    ui->sinceSample->start();
    auto* every = new QTimer(this);
    every->setObjectName("tmrHealth");
    every->setInterval(1000);
    connect(every, &QTimer::timeout, this, &TfrmUDP::SampleHealth);
    every->start();
}

ReceptionHealth TfrmUDP::Health() const {
    ReceptionHealth health;
    health.counts = reception_->Counts();
    health.reader = oUdp->Counts();
    health.rate = ui->rate.Rate();
    health.peakRate = ui->rate.Peak();
    health.receiveBuffer = oUdp->ReceiveBufferSize();
    return health;
}

void TfrmUDP::SampleHealth() {
    ui->rate.Sample(oUdp->Counts().received, static_cast<double>(ui->sinceSample->restart()) / 1000.0);
    const ReceptionHealth health = Health();
    ui->statusPanel2->setText(HealthPanelText(health));
    RefreshStatistics();
}

void TfrmUDP::RefreshStatistics() {
    if (ui->statistics && ui->statistics->isVisible())
        ui->statistics->Refresh(Health(), reception_->UnlistedSenders(), reception_->UnlistedPriorities());
}

void TfrmUDP::actStatisticsExecute() {
    if (!ui->statistics) {
        ui->statistics = new TfrmStatistics(this);
        connect(ui->statistics, &TfrmStatistics::AddToList, this,
                [this](TfrmOptions::Page page, const std::string& value) { OpenOptionsDialog(page, value); });
    }
    ui->statistics->Refresh(Health(), reception_->UnlistedSenders(), reception_->UnlistedPriorities());
    ui->statistics->show();
    ui->statistics->raise();
    ui->statistics->activateWindow();
}

} // namespace qm
