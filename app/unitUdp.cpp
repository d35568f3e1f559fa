#include "app/unitUdp.h"

#include "app/AppImages.h"
#include "app/EmptyTableHint.h"
#include "app/FindInTables.h"
#include "app/LogFileOpening.h"
#include "app/OptionsTransfer.h"
#include "app/PlacementStore.h"
#include "app/ReceptionHealthView.h"
#include "app/unitMsgViewer.h"
#include "app/unitUdp_Ui.h"
#include "platform/ErrorReport.h"
#include "platform/FreeMemory.h"
#include "platform/qt/BoxGate.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/Listeners.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/TableRowsModel.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

#include <cstdio>

namespace qm {

namespace {

const char* const kShutdownCaption = "Quillmere shutdown";
const char* const kShutdownText = "Can't create log directory. Check your access and try again.";

} // namespace

QString MainWindowTitle(const DateTime& d, int port, bool listening) {
    char date[32];
    std::snprintf(date, sizeof date, "%02d%c%02d%c%04d", d.day, kTimeSeparator, d.month, kTimeSeparator,
                  d.year);
    return QString::fromLatin1(date) + " - Quillmere Light [Udp/" + QString::number(port) + " Listener] - " +
           (listening ? "Started" : "Stopped");
}

TfrmUDP::TfrmUDP(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)),
      reception_(std::make_unique<Reception>(options_, services_.clock)), ui(std::make_unique<Ui>()),
      boxes_(new BoxGate(services_.dialogs, this)) {
    // Boxes wait until the window is made and the program hears the
    // session's end: the event loop's first turn.
    boxes_->Hold();
    setObjectName("frmUDP");
    setFont(WindowFont());
    resize(504, 337);
    setMinimumSize(430, 330);

    // Every listener's messages come to the same handler.
    listeners_ = new Listeners(services_.clock, this);
    oUdp = &listeners_->Udp();
    listeners_->SetHandlers([this](const Datagram& d) { oUdpDataReceived(d); }, [this] { oUdpRunEnded(); });

    sizer_ = std::make_unique<IncrementalColumnSizer>();
    BuildActions();
    BuildClientArea();
    BuildStatusAndTray();
    BuildFeatures();
    BuildMenus();
    BuildToolBar();
    ConnectCommands();
    StartUp();
    QTimer::singleShot(0, boxes_, &BoxGate::Release);
}

TfrmUDP::~TfrmUDP() = default;

void TfrmUDP::StartUp() {
    options_.SaveBlocked = false;
    options_.ProgramDir = services_.programDir;
    options_.DefaultLogDir = services_.defaultLogDir;
    const Result loaded = LoadOptions(services_.store, options_);
    if (!loaded) {
        // Defaults for this run; the stored settings are not written over
        // unless the operator confirms new options.
        loadFailed_ = true;
        options_.General.LogDir = DefaultLogDir(options_);
        ReportError(DisplayText(loaded.error));
    }
    // No log folder could be named for the program's folder: say so, and
    // leave the operator the way to Options instead of shutting down.
    const bool noLogFolder =
        !services_.logDirProblem.isEmpty() && options_.General.LogDir == DefaultLogDir(options_);
    if (noLogFolder) ReportError(services_.logDirProblem);
    if (const std::string notice = services_.store.TakeNotice(); !notice.empty())
        ReportError(DisplayText(notice));
    if (options_.General.StayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (services_.bindReceiver)
        for (const std::string& failure :
             listeners_->Start({options_.General.Port, options_.Network.TcpPort, options_.Network.IPv6}))
            ReportError(DisplayText(failure));
    options_.UserDate = services_.clock.Now();
    SetTitle();
    setWindowIcon(ApplicationIcon());
    ui->Sys->show();
    FillFilterExplorer();
    std::string today;
    FormatLogDay(services_.clock.Now(), today);
    reception_->Log().SetLastLogDay(today);
    if (options_.General.WriteToLog && !noLogFolder) PrepareDayFilesForced();
    options_.UseUserDate = false;
    if (options_.General.AutoListen) {
        ui->actStartProcess->trigger();
        SetTitle();
    }
}

int TfrmUDP::ListeningPort() const {
    return oUdp->BoundPort();
}

void TfrmUDP::SetTitle() {
    setWindowTitle(MainWindowTitle(options_.UserDate, options_.General.Port, listening_));
    // A new operator's first minutes: nothing arrives until they listen.
    const int port = oUdp->IsBound() ? oUdp->BoundPort() : options_.General.Port;
    processHint_->SetText(listening_ ? QString("Listening on UDP port %1: no message yet.").arg(port)
                                     : QString("Stopped: press F5 to listen on UDP port %1.").arg(port));
}

void TfrmUDP::actStartProcessExecute() {
    // No listener without a socket: after a failed bind, Start tries again.
    if (ui->actStartProcess->isChecked() && services_.bindReceiver && !oUdp->IsBound()) {
        if (const Result bound = listeners_->RetryUdp(options_.General.Port); !bound) {
            ui->actStartProcess->setChecked(false);
            ReportError(DisplayText(bound.error)); // at start-up too: never a box inside the window's making
            return;
        }
    }
    listening_ = ui->actStartProcess->isChecked();
    listeners_->SetListening(listening_);
    ui->tabMessPage->setCurrentIndex(PageProcess);
    SetTitle();
}

void TfrmUDP::oUdpDataReceived(const Datagram& datagram) {
    reception_->Receive(datagram);
}

void TfrmUDP::oUdpRunEnded() {
    bool rows = false;
    for (const Settled& settled : reception_->EndRun()) {
        switch (settled.outcome) {
        case HandleOutcome::Empty:
        case HandleOutcome::NotListening:
            break;
        case HandleOutcome::Admitted:
        case HandleOutcome::Rejected:
            rows = true;
            break;
        case HandleOutcome::Undecodable:
        case HandleOutcome::LogFailed:
            ReportError(DisplayText(settled.failure));
            break;
        case HandleOutcome::Shutdown:
            LogDirectoryFailed();
            break;
        }
    }
    if (rows) processModel_->RowsChanged();
}

void TfrmUDP::FlushProcessTable() {
    processModel_->Flush();
}

bool TfrmUDP::LoadingLog() const {
    return logOpening_->Loading();
}

ReceptionHealth TfrmUDP::Health() const {
    return health_->Health();
}

void TfrmUDP::ReportError(const QString& message) {
    boxes_->QueueError(this, message);
}

void TfrmUDP::LogDirectoryFailed() {
    if (shutdownBoxScheduled_) return;
    shutdownBoxScheduled_ = true;
    // The shutdown follows its box, however long the box had to wait.
    boxes_->QueueMessage(this, kShutdownCaption, kShutdownText, BoxIcon::Error, [this] { Shutdown(); });
}

bool TfrmUDP::PrepareDayFilesForced() {
    if (reception_->Log().PrepareDayFiles(true) == LogWriter::Prepared::Ok) return true;
    LogDirectoryFailed();
    return false;
}

void TfrmUDP::FillFilterExplorer() {
    filling_ = true;
    const auto fill = [](QListWidget* list, const auto& entries) {
        list->clear();
        for (const auto& entry : entries) {
            auto* item = new QListWidgetItem(DisplayText(entry.Name), list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(IsSet(entry.Listen) ? Qt::Checked : Qt::Unchecked);
        }
        if (list->count() > 0) list->setCurrentRow(0);
    };
    fill(ui->clbIDFilter, options_.IdList);
    fill(ui->clbIPFilter, options_.IpList);
    filling_ = false;
    ui->statusPanel0->setText(
        QString("ID [%1]  :  IP [%2]").arg(options_.IdList.size()).arg(options_.IpList.size()));
}

void TfrmUDP::clbFilterClickCheck(QListWidgetItem* item) {
    if (filling_) return;
    const char* flag = item->checkState() == Qt::Checked ? kYes : kNo;
    const int row = item->listWidget()->row(item);
    if (item->listWidget() == ui->clbIDFilter && row >= 0 && row < static_cast<int>(options_.IdList.size()))
        options_.IdList[static_cast<std::size_t>(row)].Listen = flag;
    if (item->listWidget() == ui->clbIPFilter && row >= 0 && row < static_cast<int>(options_.IpList.size()))
        options_.IpList[static_cast<std::size_t>(row)].Listen = flag;
}

void TfrmUDP::ShowRecordCount(int page) {
    if (page < 0) return;
    const int count = page == PageProcess ? reception_->Rows().RecordCount() : viewerModel_->RecordCount();
    ui->statusPanel1->setText("Total record in current table: " + QString::number(count));
}

void TfrmUDP::actEditClearProcessGridExecute() {
    const bool process = ui->tabMessPage->currentIndex() == PageProcess;
    const QString question =
        QString("Do you want to clear") + (process ? " Process list table" : " Log-file Viewer table") + "?";
    if (!boxes_->AskYesNo(this, "Clear listing", question, BoxIcon::Warning)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (process) {
        reception_->Rows().Clear();
        FlushProcessTable();
        if (options_.General.AutoSizeGrid) sizer_->Reset(ui->grdProcess);
        ReleaseRowStorage(ui->grdProcess); // the view's per-row sizes too
        ReturnFreeMemory();
    } else {
        logOpening_->Clear();
    }
    QApplication::restoreOverrideCursor();
}

void TfrmUDP::mnuPopup1Click() {
    for (QMenu* menu : {ui->popPopups, ui->mnuPopups}) {
        QList<QAction*> items = menu->actions();
        for (qsizetype i = items.size() - 1; i >= 2; --i) {
            menu->removeAction(items[i]);
            if (items[i]->parent() == menu) delete items[i];
        }
        items = menu->actions();
        items[0]->setEnabled(false);
        items[1]->setVisible(false);
    }
}

void TfrmUDP::actMessageViewerExecute() {
    // The table of the active page, its selected row.
    QTableView* source = ui->tabMessPage->currentIndex() == PageProcess ? ui->grdProcess : ui->grdViewer;
    TfrmMessageViewer window(this);
    window.ShowRow(*source->model(), source->currentIndex().isValid() ? source->currentIndex().row() : -1);
    window.exec();
}

void TfrmUDP::Shutdown() {
    exitRequested_ = true;
    close();
}

void TfrmUDP::EndSession() {
    sessionEnding_ = true;
    // Nobody is there to click: no box opens from now on.
    boxes_->Close();
    Shutdown();
}

void TfrmUDP::ComeForward() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TfrmUDP::CloseFailure(const QString& message) {
    if (!sessionEnding_) {
        ShowErrorBox(*boxes_, this, message);
        return;
    }
    // Nobody answers a box at the end of the session: say it where the
    // operator will find it, and end at once with a status that says so.
    AppendErrorReport(options_.General.LogDir, services_.clock.Now(), StoredText(message));
    exitStatus_ = 1;
}

void TfrmUDP::HandOverAtClose() {
    // What arrived before the close reaches the day files. A bound, so that
    // the close stays quick: at the session's end the system waits about five
    // seconds for a program before it calls it hung.
    constexpr int kHandOverMs = 4000;
    const std::uint64_t left = listeners_->StopAndHandOver(QDeadlineTimer(kHandOverMs));
    if (left == 0) return;
    AppendErrorReport(options_.General.LogDir, services_.clock.Now(),
                      std::to_string(left) + " messages received before the close were not logged: the close "
                                             "hands on what it can in " +
                          std::to_string(kHandOverMs / 1000) + " seconds.");
}

void TfrmUDP::closeEvent(QCloseEvent* event) {
    if (!exitRequested_ && options_.General.CloseToSysTray) {
        event->ignore();
        // Without a tray the window could never come back: minimise instead.
        if (QSystemTrayIcon::isSystemTrayAvailable())
            hide();
        else
            showMinimized();
        return;
    }
    HandOverAtClose();
    if (!options_.SaveBlocked) {
        if (const Result saved = placement_->Save(); !saved) CloseFailure(DisplayText(saved.error));
        // At the session's end one failure is enough to know: the next save
        // would only wait for the same lock again.
        if (!loadFailed_ && exitStatus_ == 0) {
            Options saving = options_;
            if (importedListening_) {
                saving.General.Port = importedListening_->port;
                saving.Network = importedListening_->network;
            }
            if (const Result saved = SaveOptions(services_.store, saving); !saved)
                CloseFailure(DisplayText(saved.error));
        }
    }
    ui->Sys->hide();
    event->accept();
    emit Closed(exitStatus_);
}

bool TfrmUDP::event(QEvent* event) {
    // Hints are tool-tips here; a status tip would hide the ID/IP counts and
    // the record count behind a passing message.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

void TfrmUDP::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placementRestored_) {
        placementRestored_ = true;
        if (const Result restored = placement_->Restore(); !restored) ReportError(DisplayText(restored.error));
    }
}

} // namespace qm
