// The options dialog from the main window, and taking over what its OK confirmed.
#include "app/ReceptionHealthView.h"
#include "app/unitUdp_Ui.h"
#include "platform/qt/BoxGate.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/Listeners.h"

#include <QListWidget>
#include <QTableView>

namespace qm {

void TfrmUDP::OpenOptionsDialog(TfrmOptions::Page page, const std::optional<std::string>& newRow) {
    // Changed ports and the IPv6 choice are bound at OK, before anything is taken
    // over; one that cannot be had leaves the dialog open and every listener as it was.
    const auto bindPort = [this](int port, const NetworkOptions& network) -> Result {
        if (!services_.bindReceiver) return {};
        return listeners_->Change({port, network.TcpPort, network.IPv6});
    };
    TfrmOptions dialog(options_, ui->clbIDFilter->currentRow(), ui->clbIPFilter->currentRow(),
                       *boxes_, bindPort, this);
    connect(&dialog, &TfrmOptions::ColourDialogClosed, ui->grdProcess->viewport(),
            qOverload<>(&QWidget::update));
    dialog.SelectPage(page);
    if (newRow) dialog.AddRowHolding(page, *newRow);
    if (dialog.exec() == QDialog::Accepted) ApplyOptions(dialog.Edit());
}

void TfrmUDP::ApplyOptions(const OptionsEdit& edit) {
    // The order of OK: the general options, the ID list, the day's files for
    // it (a failure there shuts down), the IP list, the tokens, the filter
    // explorer, the title.
    // The operator's own choice of ports overrides an import still waiting for them.
    if (edit.General.Port != options_.General.Port || edit.Network != options_.Network) importedListening_.reset();
    options_.General = edit.General;
    options_.Network = edit.Network;
    options_.UseUserDate = edit.UseUserDate;
    options_.UserDate = edit.UserDate;
    options_.IdList = edit.IdList;
    if (options_.General.WriteToLog) PrepareDayFilesForced();
    options_.IpList = edit.IpList;
    options_.TokenList = edit.TokenList;
    // Options the operator confirmed may be saved even after a failed load.
    loadFailed_ = false;
    ListsChanged();
}

void TfrmUDP::ImportTaken() {
    if (services_.bindReceiver) {
        const ListenPlan& now = listeners_->Plan();
        ListenPlan imported{options_.General.Port, options_.Network.TcpPort, options_.Network.IPv6};
        // Port 0 took a free port at start: the one it got is no change.
        if (imported.udpPort == 0) imported.udpPort = now.udpPort;
        if (imported != now) {
            if (const Result bound = listeners_->Change(imported); !bound) {
                importedListening_ = ImportedListening{options_.General.Port, options_.Network};
                options_.General.Port = now.udpPort;
                options_.Network.TcpPort = now.tcpPort;
                options_.Network.IPv6 = now.ipv6;
                ReportError(DisplayText(bound.error) + " The imported values take effect at the next start.");
            } else {
                importedListening_.reset();
            }
        }
    }
    ListsChanged();
}

void TfrmUDP::ListsChanged() {
    // The senders and priorities a list now knows leave the unlisted ones;
    // the filter explorer's items stand for the entries by index.
    reception_->ForgetListed();
    health_->Refresh();
    FillFilterExplorer();
    SetTitle();
}

} // namespace qm
