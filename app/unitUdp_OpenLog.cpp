// Open Log-file: a day's log file read back into ui->grdViewer. The file is
// read off the window's thread; a load that takes a while shows its progress
// and can be cancelled.
#include "reception/LogFileReader.h"
#include "platform/FreeMemory.h"
#include "platform/qt/BoxGate.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/ProgramPaths.h"
#include "app/unitUdp_Ui.h"

#include <QApplication>
#include <QLocale>
#include <QProgressDialog>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace qm {

bool TfrmUDP::LoadingLog() const {
    return ui->logLoad != nullptr;
}

void TfrmUDP::ClearViewer() {
    ui->viewerModel->Clear();
    ReleaseRowStorage(ui->grdViewer);
    ReturnFreeMemory();
}

void TfrmUDP::actOpenLogExecute() {
    if (ui->logLoad) return; // one file at a time
    if (ui->viewerModel->rowCount() > 1 &&
        !boxes_->AskYesNo(this, "Load new log-file",
                                    "Do you want to clear current Viewer data and load new it?",
                                    BoxIcon::Information))
        return;
    const std::optional<QString> chosen =
        boxes_->OpenFile(this, {"Open Log-file", DisplayText(options_.General.LogDir), QString(),
                                          "Log files (*.log)|*.log|All fales (*.*)|*.*"});
    if (!chosen) return;
    const QString file = ShownPath(*chosen);

    ClearViewer();
    ui->grdViewer->hide();
    // The hourglass stays until the table is filled, sized and shown.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<QFont> measure;
    if (options_.General.AutoSizeGrid) measure = ui->grdViewer->font();
    ui->logLoad = new LogFileLoad(PathBytes(file).value_or(StoredText(file)), measure, this);
    connect(ui->logLoad, &LogFileLoad::Finished, this, [this, file] { LogLoadFinished(file); });
    connect(ui->logLoad, &LogFileLoad::ProgressChanged, this, [this](int percent) {
        if (ui->logProgress) ui->logProgress->setValue(percent);
    });
    // A load that ends sooner shows no progress at all.
    QTimer::singleShot(services_.logProgressAfterMs, ui->logLoad, [this] { ShowLogLoadProgress(); });
    ui->logLoad->Start();
}

void TfrmUDP::ShowLogLoadProgress() {
    auto* progress = new QProgressDialog("Reading the log-file...", "Cancel", 0, 100, this);
    progress->setObjectName("dlgLogLoad");
    progress->setWindowTitle("Open Log-file");
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(0);
    connect(progress, &QProgressDialog::canceled, ui->logLoad, &LogFileLoad::Cancel);
    ui->logProgress = progress;
    QApplication::changeOverrideCursor(Qt::BusyCursor); // the Cancel button can be used
    progress->show();
}

void TfrmUDP::LogLoadFinished(const QString& file) {
    LogFileLoad* load = ui->logLoad;
    ui->logLoad = nullptr;
    load->deleteLater(); // it is emitting the signal in hand
    if (ui->logProgress) {
        ui->logProgress->deleteLater();
        ui->logProgress->hide();
        ui->logProgress = nullptr;
    }

    const LogFileContent::End end = load->End();
    ReturnFreeMemory(); // what reading and measuring took beside the content
    if (end == LogFileContent::End::Loaded) {
        ui->viewerModel->SetContent(load->TakeContent());
        if (options_.General.AutoSizeGrid) {
            for (int c = 0; c < kColumnCount; ++c)
                ui->grdViewer->setColumnWidth(
                    c, ColumnWidthFor(ui->grdViewer, c, c < kViewerColumns ? load->Widest()[static_cast<std::size_t>(c)] : 0));
        }
        const int lines = ui->viewerModel->RecordCount();
        if (lines > 0) {
            ui->grdViewer->setCurrentIndex(ui->viewerModel->index(lines - 1, 0));
            ui->grdViewer->selectRow(lines - 1);
        }
        ui->grdViewer->show();
        ui->tabMessPage->setCurrentIndex(PageViewer);
        if (lines > 0) ui->grdViewer->scrollTo(ui->viewerModel->index(lines - 1, 0));
        QApplication::restoreOverrideCursor();
        return;
    }
    ui->grdViewer->show(); // an empty table; Cancel asks for no more
    QApplication::restoreOverrideCursor();
    const QLocale english(QLocale::English);
    switch (end) {
    // The load ends on its own time: its box waits for any box open then.
    case LogFileContent::End::CannotOpen:
        boxes_->QueueError(this, "Cannot open file " + file);
        break;
    case LogFileContent::End::NotAFile:
        boxes_->QueueError(this, "Cannot open file " + file + ": it is not a regular file");
        break;
    case LogFileContent::End::TooLarge:
        boxes_->QueueError(this, "Cannot open file " + file + ": it is larger than the memory can hold");
        break;
    case LogFileContent::End::TooManyLines:
        boxes_->QueueError(this, "Cannot open file " + file + ": it has " +
                                     english.toString(qulonglong(load->LinesFound())) +
                                     " lines, and the Viewer takes at most " +
                                     english.toString(qulonglong(kMaxViewerLines)));
        break;
    case LogFileContent::End::Loaded:
    case LogFileContent::End::Cancelled:
        break;
    }
}

} // namespace qm
