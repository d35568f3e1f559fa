#include "app/unitUdp.h"
#include "platform/qt/DisplayText.h"

#include "platform/qt/Dialogs.h"

#include "app/AppImages.h"
#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"
#include "app/unitAbout.h"
#include "app/unitDescribe.h"
#include "app/unitMsgViewer.h"
#include "settings/ui/unitOptions.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
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

// The view catches up with the core at most this often.
constexpr int kFlushIntervalMs = 50;

const char* const kShutdownCaption = "Quillmere shutdown";
const char* const kShutdownText = "Can't create log directory. Check your access and try again.";

QString BoolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

QString MainWindowTitle(const DateTime& d, int port, bool listening) {
    char date[32];
    std::snprintf(date, sizeof date, "%02d%c%02d%c%04d", d.day, kTimeSeparator, d.month, kTimeSeparator,
                  d.year);
    return QString::fromLatin1(date) + " - Quillmere Light [Udp/" + QString::number(port) + " Listener] - " +
           (listening ? "Started" : "Stopped");
}

TfrmUDP::TfrmUDP(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    setObjectName("frmUDP");
    setFont(WindowFont());
    resize(504, 337);
    setMinimumSize(430, 330);

    oUdp = new TNMUDP(services_.clock, this);
    oUdp->setObjectName("oUdp");
    oUdp->OnDataReceived = [this](const Datagram& d) { oUdpDataReceived(d); };
    reception_ = std::make_unique<Reception>(options, services_.clock);
    flushTimer_ = new QTimer(this);
    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(kFlushIntervalMs);
    connect(flushTimer_, &QTimer::timeout, this, &TfrmUDP::FlushProcessTable);

    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildClientArea();
    BuildStatusAndTray();

    connect(actStartProcess, &QAction::triggered, this, &TfrmUDP::actStartProcessExecute);
    connect(actExit, &QAction::triggered, this, &TfrmUDP::Shutdown);
    connect(actEditClearProcessGrid, &QAction::triggered, this, &TfrmUDP::actEditClearProcessGridExecute);
    connect(actOpenLog, &QAction::triggered, this, &TfrmUDP::actOpenLogExecute);
    connect(actMessageViewer, &QAction::triggered, this, &TfrmUDP::actMessageViewerExecute);
    connect(actAbout, &QAction::triggered, this, &TfrmUDP::actAboutExecute);
    connect(actHelp, &QAction::triggered, this, &TfrmUDP::actHelpExecute);
    connect(grdProcess, &QTableView::doubleClicked, this, &TfrmUDP::actMessageViewerExecute);
    connect(grdViewer, &QTableView::doubleClicked, this, &TfrmUDP::actMessageViewerExecute);
    connect(actExportOptions, &QAction::triggered, this, &TfrmUDP::actExportOptionsExecute);
    connect(actImportOptions, &QAction::triggered, this, &TfrmUDP::actImportOptionsExecute);
    connect(actClearRegistry, &QAction::triggered, this, &TfrmUDP::actClearRegistryExecute);
    connect(actOptions, &QAction::triggered, this, [this] { OpenOptionsDialog(0); });
    connect(actEditIDList, &QAction::triggered, this, [this] { OpenOptionsDialog(1); });
    connect(actEditIPList, &QAction::triggered, this, [this] { OpenOptionsDialog(2); });
    connect(actEditTokenList, &QAction::triggered, this, [this] { OpenOptionsDialog(3); });
    connect(actViewFilterExplorer, &QAction::triggered, tabFilterPage, &QWidget::setVisible);
    connect(actViewToolBar, &QAction::triggered, barTool, &QWidget::setVisible);
    connect(actViewStatus, &QAction::triggered, statusBar(), &QWidget::setVisible);
    connect(mnuShowProcessTable, &QAction::triggered, this, [this] { tabMessPage->setCurrentIndex(0); });
    connect(mnuShowViewerTable, &QAction::triggered, this, [this] { tabMessPage->setCurrentIndex(1); });
    connect(mnuShowIDFilter, &QAction::triggered, this, [this] { tabFilterPage->setCurrentIndex(0); });
    connect(mnuShowIPFilter, &QAction::triggered, this, [this] { tabFilterPage->setCurrentIndex(1); });
    // Only a click on a tab rewrites the record count.
    connect(tabMessPage->tabBar(), &QTabBar::tabBarClicked, this, &TfrmUDP::ShowRecordCount);
    connect(clbIDFilter, &QListWidget::itemChanged, this, &TfrmUDP::clbFilterClickCheck);
    connect(clbIPFilter, &QListWidget::itemChanged, this, &TfrmUDP::clbFilterClickCheck);
    connect(clbIDFilter, &QListWidget::itemDoubleClicked, actEditIDList, &QAction::trigger);
    connect(clbIPFilter, &QListWidget::itemDoubleClicked, actEditIPList, &QAction::trigger);

    StartUp();
}

TfrmUDP::~TfrmUDP() = default;

void TfrmUDP::StartUp() {
    options.SaveBlocked = false;
    options.ProgramDir = services_.programDir;
    const Result loaded = LoadOptions(services_.store, options);
    if (!loaded) {
        // Defaults for this run; the stored settings are not written over
        // unless the operator confirms new options.
        loadFailed_ = true;
        options.General.LogDir = DefaultLogDir(options.ProgramDir);
        ReportError(DisplayText(loaded.error));
    }
    if (const std::string notice = services_.store.takeNotice(); !notice.empty())
        ReportError(DisplayText(notice));
    if (options.General.StayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (!services_.bindReceiver) {
    } else if (const std::string error = oUdp->SetLocalPort(options.General.Port); !error.empty())
        ReportError(
            DisplayText(error) +
            (options.General.Port < 1024 ? " Ports below 1024 need privileges; see the README." : ""));
    options.UserDate = services_.clock.now();
    SetTitle();
    setWindowIcon(ApplicationIcon());
    Sys->show();
    FillFilterExplorer();
    std::string today;
    FormatLogDay(services_.clock.now(), today);
    Log().SetLastLogDay(today);
    if (options.General.WriteToLog && Log().PrepareDayFiles(true) == LogWriter::Prepared::LogDirUnavailable)
        LogDirectoryFailed();
    options.UseUserDate = false;
    if (options.General.AutoListen) {
        actStartProcess->trigger();
        SetTitle();
    }
}

void TfrmUDP::SetTitle() {
    setWindowTitle(MainWindowTitle(options.UserDate, options.General.Port, Listening));
}

void TfrmUDP::actStartProcessExecute() {
    Listening = actStartProcess->isChecked();
    oUdp->SetListening(Listening);
    tabMessPage->setCurrentIndex(0);
    SetTitle();
}

void TfrmUDP::oUdpDataReceived(const Datagram& datagram) {
    switch (reception_->Receive(datagram)) {
    case HandleOutcome::NotListening:
        break;
    case HandleOutcome::Admitted:
    case HandleOutcome::Rejected:
        ScheduleFlush();
        break;
    case HandleOutcome::Undecodable:
    case HandleOutcome::LogFailed:
        ReportError(DisplayText(reception_->Failure()));
        break;
    case HandleOutcome::Shutdown:
        LogDirectoryFailed();
        break;
    }
}

void TfrmUDP::ScheduleFlush() {
    if (!flushTimer_->isActive() && processModel_->Behind()) flushTimer_->start();
}

void TfrmUDP::FlushProcessTable() {
    const int inserted = processModel_->Flush();
    if (options.General.AutoSizeGrid) sizer_.Update(grdProcess, *processModel_, inserted);
    if (inserted > 0) SelectInsertionRow(grdProcess);
}

void TfrmUDP::ReportError(const QString& message) {
    // One box at a time, opened after the handler in hand has returned.
    if (errorQueued_ || errorBoxOpen_) return;
    errorQueued_ = true;
    QTimer::singleShot(0, this, [this, message] {
        errorQueued_ = false;
        errorBoxOpen_ = true;
        ShowErrorBox(services_.dialogs, this, message);
        errorBoxOpen_ = false;
    });
}

void TfrmUDP::LogDirectoryFailed() {
    if (shutdownBoxScheduled_) return;
    shutdownBoxScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        services_.dialogs.ShowMessage(this, kShutdownCaption, kShutdownText, BoxIcon::Error);
        Shutdown();
    });
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
    fill(clbIDFilter, options.IdList);
    fill(clbIPFilter, options.IpList);
    filling_ = false;
    statusPanel0->setText(
        QString("ID [%1]  :  IP [%2]").arg(options.IdList.size()).arg(options.IpList.size()));
}

void TfrmUDP::clbFilterClickCheck(QListWidgetItem* item) {
    if (filling_) return;
    const char* flag = item->checkState() == Qt::Checked ? kYes : kNo;
    const int row = item->listWidget()->row(item);
    if (item->listWidget() == clbIDFilter && row >= 0 && row < static_cast<int>(options.IdList.size()))
        options.IdList[static_cast<std::size_t>(row)].Listen = flag;
    if (item->listWidget() == clbIPFilter && row >= 0 && row < static_cast<int>(options.IpList.size()))
        options.IpList[static_cast<std::size_t>(row)].Listen = flag;
}

void TfrmUDP::ShowRecordCount(int page) {
    if (page < 0) return;
    const int count = page == 0 ? ProcessRows().RecordCount() : viewerModel_->RecordCount();
    statusPanel1->setText("Total record in current table: " + QString::number(count));
}

void TfrmUDP::actEditClearProcessGridExecute() {
    const bool process = tabMessPage->currentIndex() == 0;
    const QString question =
        QString("Do you want to clear") + (process ? " Process list table" : " Log-file Viewer table") + "?";
    if (!services_.dialogs.AskYesNo(this, "Clear listing", question, BoxIcon::Warning)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (process) {
        ProcessRows().Clear();
        FlushProcessTable();
        if (options.General.AutoSizeGrid) sizer_.Reset(grdProcess);
    } else {
        viewerModel_->Clear();
    }
    QApplication::restoreOverrideCursor();
}

void TfrmUDP::mnuPopup1Click() {
    for (QMenu* menu : {popPopups, mnuPopups}) {
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

void TfrmUDP::OpenOptionsDialog(int page) {
    TfrmOptions dialog(options, *this, services_.dialogs, this);
    dialog.SelectPage(page);
    dialog.exec();
}

void TfrmUDP::actMessageViewerExecute() {
    // The table of the active page, its selected row.
    QTableView* source = tabMessPage->currentIndex() == 0 ? grdProcess : grdViewer;
    TfrmMessageViewer window(this);
    window.ShowRow(*source->model(), source->currentIndex().isValid() ? source->currentIndex().row() : -1);
    window.exec();
}

void TfrmUDP::actAboutExecute() {
    TfrmAbout window(this);
    window.exec();
}

void TfrmUDP::actHelpExecute() {
    TfrmDescribe window(this);
    window.exec();
}

int TfrmUDP::SelectedIdFilterRow() const {
    return clbIDFilter->currentRow();
}
int TfrmUDP::SelectedIpFilterRow() const {
    return clbIPFilter->currentRow();
}

bool TfrmUDP::PrepareDayFilesForced() {
    if (Log().PrepareDayFiles(true) == LogWriter::Prepared::Ok) return true;
    LogDirectoryFailed();
    return false;
}

void TfrmUDP::RepaintProcessTable() {
    grdProcess->viewport()->update();
}

// Options the operator confirmed may be saved even after a failed load.
void TfrmUDP::OptionsTakenOver() {
    loadFailed_ = false;
}

void TfrmUDP::Shutdown() {
    ExitRequested = true;
    close();
}

bool TfrmUDP::UseTrayForClose() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TfrmUDP::closeEvent(QCloseEvent* event) {
    if (!ExitRequested && options.General.CloseToSysTray) {
        event->ignore();
        // Without a tray the window could never come back: minimise instead.
        if (UseTrayForClose())
            hide();
        else
            showMinimized();
        return;
    }
    if (!options.SaveBlocked) {
        SavePlacementStore();
        if (!loadFailed_) {
            if (const Result saved = SaveOptions(services_.store, options); !saved)
                ShowErrorBox(services_.dialogs, this, DisplayText(saved.error));
        }
    }
    Sys->hide();
    event->accept();
    emit Closed();
}

namespace {
const std::vector<std::string> kPlacementProperties = {
    "barStatus_Visible",     "tabFilterPage_ActivePage", "tabMessPage_ActivePage",
    "barTool_Visible",       "tabFilterPage_Visible",    "actViewFilterExplorer_Checked",
    "actViewStatus_Checked", "actViewToolBar_Checked"};
}

void TfrmUDP::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placementRestored_) {
        placementRestored_ = true;
        RestorePlacement();
    }
}

void TfrmUDP::RestorePlacement() {
    if (!placementEnabled_) return;
    const QScreen* s = screen();
    StoredPlacement stored;
    try {
        stored = LoadPlacement(services_.store, s->geometry().width(), s->geometry().height(),
                               kPlacementProperties);
    } catch (const KeyStoreError& e) {
        ReportError(DisplayText(e.what()));
        return;
    }
    const int ppi = qRound(s->logicalDotsPerInch());
    if (stored.pixelsPerInch && *stored.pixelsPerInch == ppi && stored.normPos) {
        const auto& r = *stored.normPos;
        if (r[2] > r[0] && r[3] > r[1]) setGeometry(r[0], r[1], r[2] - r[0], r[3] - r[1]);
    }
    const auto page = [](QTabWidget* tabs, const std::string& name) {
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->objectName().toStdString() == name) tabs->setCurrentIndex(i);
    };
    for (const auto& [name, value] : stored.properties) {
        const bool on = value == "True";
        if (name == "barStatus_Visible")
            statusBar()->setVisible(on);
        else if (name == "barTool_Visible")
            barTool->setVisible(on);
        else if (name == "tabFilterPage_Visible")
            tabFilterPage->setVisible(on);
        else if (name == "actViewFilterExplorer_Checked")
            actViewFilterExplorer->setChecked(on);
        else if (name == "actViewStatus_Checked")
            actViewStatus->setChecked(on);
        else if (name == "actViewToolBar_Checked")
            actViewToolBar->setChecked(on);
        else if (name == "tabFilterPage_ActivePage")
            page(tabFilterPage, value);
        else if (name == "tabMessPage_ActivePage")
            page(tabMessPage, value);
    }
}

void TfrmUDP::SavePlacementStore() {
    if (!placementEnabled_) return;
    PlacementRecord r;
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    r.normPos = {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()};
    r.showCmd = isMinimized() ? 2 : isMaximized() ? 3 : 1;
    r.flags = isMaximized() ? 2 : 0;
    r.visible = isVisible();
    const QScreen* s = screen();
    r.pixelsPerInch = qRound(s->logicalDotsPerInch());
    r.properties = {
        {"barStatus_Visible", BoolText(!statusBar()->isHidden()).toStdString()},
        {"tabFilterPage_ActivePage", tabFilterPage->currentWidget()->objectName().toStdString()},
        {"tabMessPage_ActivePage", tabMessPage->currentWidget()->objectName().toStdString()},
        {"barTool_Visible", BoolText(!barTool->isHidden()).toStdString()},
        {"tabFilterPage_Visible", BoolText(!tabFilterPage->isHidden()).toStdString()},
        {"actViewFilterExplorer_Checked", BoolText(actViewFilterExplorer->isChecked()).toStdString()},
        {"actViewStatus_Checked", BoolText(actViewStatus->isChecked()).toStdString()},
        {"actViewToolBar_Checked", BoolText(actViewToolBar->isChecked()).toStdString()},
    };
    try {
        SavePlacement(services_.store, r, s->geometry().width(), s->geometry().height());
    } catch (const KeyStoreError& e) {
        ShowErrorBox(services_.dialogs, this, DisplayText(e.what()));
    }
}

} // namespace qm
