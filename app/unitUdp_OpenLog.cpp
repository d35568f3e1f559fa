// Open Log-file: a day's log file read back into ui->grdViewer.
#include "reception/LogFileReader.h"
#include "platform/qt/DisplayText.h"
#include "app/unitUdp_Ui.h"

#include <QApplication>
#include <QTabWidget>
#include <QTableView>

namespace qm {

void TfrmUDP::actOpenLogExecute() {
    if (ui->viewerModel->rowCount() > 1 &&
        !services_.dialogs.AskYesNo(this, "Load new log-file",
                                    "Do you want to clear current Viewer data and load new it?",
                                    BoxIcon::Information))
        return;
    const std::optional<QString> file =
        services_.dialogs.OpenFile(this, {"Open Log-file", DisplayText(options_.General.LogDir), QString(),
                                          "Log files (*.log)|*.log|All fales (*.*)|*.*"});
    if (!file) return;

    ui->viewerModel->Clear();
    ui->grdViewer->hide();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LogFileContent content;
    const bool loaded = content.Load(StoredText(*file));
    if (loaded) ui->viewerModel->SetContent(std::move(content));
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        ui->grdViewer->show();
        ShowErrorBox(services_.dialogs, this, "Cannot open file " + *file);
        return;
    }
    if (options_.General.AutoSizeGrid) AutoSizeColumns(ui->grdViewer);
    const int lines = ui->viewerModel->RecordCount();
    if (lines > 0) {
        ui->grdViewer->setCurrentIndex(ui->viewerModel->index(lines - 1, 0));
        ui->grdViewer->selectRow(lines - 1);
    }
    ui->grdViewer->show();
    ui->tabMessPage->setCurrentIndex(PageViewer);
    if (lines > 0) ui->grdViewer->scrollTo(ui->viewerModel->index(lines - 1, 0));
}

} // namespace qm
