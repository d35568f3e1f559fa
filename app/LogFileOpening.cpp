#include "app/LogFileOpening.h"

#include "app/AppImages.h"
#include "platform/FreeMemory.h"
#include "platform/qt/BoxGate.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/ProgramPaths.h"
#include "reception/qt/LogFileLoad.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/TableRowsModel.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QProgressDialog>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace qm {

LogFileOpening::LogFileOpening(QTableView* grid, LogViewerModel* model, QTabWidget* pages, int page,
                               const Options& options, BoxGate& boxes, int progressAfterMs, QWidget* window)
    : QObject(window), grid_(grid), model_(model), pages_(pages), page_(page), options_(options), boxes_(boxes),
      progressAfterMs_(progressAfterMs), window_(window),
      actOpenLog_(MakeCommand(window, "actOpenLog", "&Open Log-file", QKeySequence(Qt::CTRL | Qt::Key_O), ImgOpenLog,
                              "Open log")) {
    connect(actOpenLog_, &QAction::triggered, this, &LogFileOpening::actOpenLogExecute);
}

void LogFileOpening::Clear() {
    if (load_) load_->Cancel();
    model_->Clear();
    ReleaseRowStorage(grid_);
    ReturnFreeMemory();
}

void LogFileOpening::actOpenLogExecute() {
    if (load_) return; // one file at a time
    if (model_->rowCount() > 1 &&
        !boxes_.AskYesNo(window_, "Load new log-file", "Do you want to clear current Viewer data and load new it?",
                         BoxIcon::Information))
        return;
    const std::optional<QString> chosen =
        boxes_.OpenFile(window_, {"Open Log-file", DisplayText(options_.General.LogDir), QString(),
                                  "Log files (*.log)|*.log|All fales (*.*)|*.*"});
    if (!chosen) return;
    const QString file = ShownPath(*chosen);

    Clear();
    grid_->hide();
    // The hourglass stays until the table is filled, sized and shown.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<QFont> measure;
    if (options_.General.AutoSizeGrid) measure = grid_->font();
    load_ = new LogFileLoad(FilePath(file), measure, this);
    connect(load_, &LogFileLoad::Finished, this, [this, file] { Finished(file); });
    connect(load_, &LogFileLoad::ProgressChanged, this, [this](int percent) {
        if (progress_) progress_->setValue(percent);
    });
    // A load that ends sooner shows no progress at all.
    QTimer::singleShot(progressAfterMs_, load_, [this] { ShowProgress(); });
    load_->Start();
}

void LogFileOpening::ShowProgress() {
    progress_ = new QProgressDialog("Reading the log-file...", "Cancel", 0, 100, window_);
    progress_->setObjectName("dlgLogLoad");
    progress_->setWindowTitle("Open Log-file");
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, load_, &LogFileLoad::Cancel);
    QApplication::changeOverrideCursor(Qt::BusyCursor); // the Cancel button can be used
    progress_->show();
}

void LogFileOpening::Finished(const QString& file) {
    LogFileLoad* load = load_;
    load_ = nullptr;
    load->deleteLater(); // it is emitting the signal in hand
    if (progress_) {
        progress_->deleteLater();
        progress_->hide();
        progress_ = nullptr;
    }

    const LogFileContent::End end = load->End();
    ReturnFreeMemory(); // what reading and measuring took beside the content
    if (end == LogFileContent::End::Loaded) {
        model_->SetContent(load->TakeContent());
        if (options_.General.AutoSizeGrid) {
            for (int c = 0; c < kColumnCount; ++c)
                grid_->setColumnWidth(
                    c, ColumnWidthFor(grid_, c, c < kViewerColumns ? load->Widest()[static_cast<std::size_t>(c)] : 0));
        }
        const int lines = model_->RecordCount();
        if (lines > 0) {
            grid_->setCurrentIndex(model_->index(lines - 1, 0));
            grid_->selectRow(lines - 1);
        }
        grid_->show();
        pages_->setCurrentIndex(page_);
        if (lines > 0) grid_->scrollTo(model_->index(lines - 1, 0));
        QApplication::restoreOverrideCursor();
        return;
    }
    grid_->show(); // an empty table; Cancel asks for no more
    QApplication::restoreOverrideCursor();
    const QLocale english(QLocale::English);
    // The load ends on its own time: its box waits for any box open then.
    switch (end) {
    case LogFileContent::End::CannotOpen:
        boxes_.QueueError(window_, "Cannot open file " + file);
        break;
    case LogFileContent::End::NotAFile:
        boxes_.QueueError(window_, "Cannot open file " + file + ": it is not a regular file");
        break;
    case LogFileContent::End::TooLarge:
        boxes_.QueueError(window_, "Cannot open file " + file + ": it is larger than the memory can hold");
        break;
    case LogFileContent::End::TooManyLines:
        boxes_.QueueError(window_, "Cannot open file " + file + ": it has " +
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
