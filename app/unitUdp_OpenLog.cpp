// Open Log-file: a day's log file read back into grdViewer.
#include "reception/LogFileReader.h"
#include "platform/qt/DisplayText.h"
#include "app/unitUdp.h"

#include <QApplication>
#include <QTabWidget>
#include <QTableView>

namespace qm {

void TfrmUDP::actOpenLogExecute() {
    if (viewerModel_->rowCount() > 1 &&
        !services_.dialogs.AskYesNo(this, "Load new log-file",
                                    "Do you want to clear current Viewer data and load new it?",
                                    BoxIcon::Information))
        return;
    const std::optional<QString> file =
        services_.dialogs.OpenFile(this, {"Open Log-file", DisplayText(options.General.LogDir), QString(),
                                          "Log files (*.log)|*.log|All fales (*.*)|*.*"});
    if (!file) return;

    viewerModel_->Clear();
    grdViewer->hide();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LogFileContent content;
    const bool loaded = content.Load(StoredText(*file));
    if (loaded) viewerModel_->SetContent(std::move(content));
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        grdViewer->show();
        ShowErrorBox(services_.dialogs, this, "Cannot open file " + *file);
        return;
    }
    if (options.General.AutoSizeGrid) AutoSizeColumns(grdViewer);
    const int lines = viewerModel_->RecordCount();
    if (lines > 0) {
        grdViewer->setCurrentIndex(viewerModel_->index(lines - 1, 0));
        grdViewer->selectRow(lines - 1);
    }
    grdViewer->show();
    tabMessPage->setCurrentIndex(1);
    if (lines > 0) grdViewer->scrollTo(viewerModel_->index(lines - 1, 0));
}

} // namespace qm
