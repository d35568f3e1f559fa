// The main window: reception, the two tables, the filter explorer, commands,
// title, status bar, tray icon, and what closing means.
#pragma once

#include "platform/Clock.h"
#include "platform/qt/Dialogs.h"
#include "platform/KeyStore.h"
#include "reception/LogFiles.h"
#include "settings/Options.h"
#include "settings/ui/OptionsHost.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/ProcessTable.h"
#include "reception/Reception.h"
#include "platform/qt/TNMUDP.h"
#include "reception/qt/TableRowsModel.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <string_view>

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;

namespace qm {

// What the window is given rather than finds for itself.
struct MainWindowServices {
    KeyStore& store;
    const Clock& clock;
    DialogService& dialogs;
    std::string programDir;
    // Tests that need no socket leave the port unbound.
    bool bindReceiver = true;
    // The registry editor the import starts (ferrowick-reg beside the program
    // on Linux; regedit.exe on Windows).
    std::string registryEditor;
};

class TfrmUDP : public QMainWindow, public OptionsHost {
    Q_OBJECT
public:
    // Runs the start-up sequence; the placement store restores at first show.
    explicit TfrmUDP(MainWindowServices services, QWidget* parent = nullptr);
    ~TfrmUDP() override;

    // Run state.
    Options options;
    bool Listening = false;
    bool ExitRequested = false;

    // Widgets and commands, each also found by its objectName.
    TNMUDP* oUdp = nullptr;
    QTableView* grdProcess = nullptr;
    QTableView* grdViewer = nullptr;
    QTabWidget* tabMessPage = nullptr;
    QTabWidget* tabFilterPage = nullptr;
    QListWidget* clbIDFilter = nullptr;
    QListWidget* clbIPFilter = nullptr;
    QToolBar* barTool = nullptr;
    QLabel* statusPanel0 = nullptr;
    QLabel* statusPanel1 = nullptr;
    QSystemTrayIcon* Sys = nullptr;
    QMenu* popSys = nullptr;
    QMenu* mnuPopups = nullptr;
    QMenu* popPopups = nullptr;
    QToolButton* btnPopups = nullptr;
    QAction *actStartProcess = nullptr, *actOpenLog = nullptr, *actMessageViewer = nullptr,
            *actExit = nullptr;
    QAction *actEditIDList = nullptr, *actEditIPList = nullptr, *actEditTokenList = nullptr;
    QAction* actEditClearProcessGrid = nullptr;
    QAction *actViewFilterExplorer = nullptr, *actViewToolBar = nullptr, *actViewStatus = nullptr;
    QAction *actOptions = nullptr, *actExportOptions = nullptr, *actImportOptions = nullptr;
    QAction* actClearRegistry = nullptr;
    QAction *actAbout = nullptr, *actHelp = nullptr;
    QAction *mnuShowProcessTable = nullptr, *mnuShowViewerTable = nullptr;
    QAction *mnuShowIDFilter = nullptr, *mnuShowIPFilter = nullptr;

    // The receiver's handler: one datagram, start to end.
    void oUdpDataReceived(const Datagram& datagram);
    void FillFilterExplorer() override;
    void SetTitle() override;
    // Sets ExitRequested and closes: options and placement are saved.
    void Shutdown();
    void OpenOptionsDialog(int page);
    void mnuPopup1Click();
    // Loads a log file into grdViewer.
    void actOpenLogExecute();
    void actMessageViewerExecute();
    void actAboutExecute();
    void actHelpExecute();
    void actExportOptionsExecute();
    void actImportOptionsExecute();
    void actClearRegistryExecute();

    // The view catches up with the core (normally every ~50 ms).
    void FlushProcessTable();
    ProcessTable& ProcessRows() { return reception_->Rows(); }
    LogViewerModel& ViewerRows() { return *viewerModel_; }
    LogWriter& Log() { return reception_->Log(); }
    // Shows the failure in the standard error box after the current event,
    // at most one box at a time.
    void ReportError(const QString& message);
    // What the options dialog asks of the window.
    int SelectedIdFilterRow() const override;
    int SelectedIpFilterRow() const override;
    bool PrepareDayFilesForced() override;
    void RepaintProcessTable() override;
    void OptionsTakenOver() override;

    // Switched off by clearing the registry.
    void SetPlacementStoreEnabled(bool enabled) { placementEnabled_ = enabled; }

signals:
    // A close was granted: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildClientArea();
    void BuildStatusAndTray();
    void StartUp();

    void actStartProcessExecute();
    void actEditClearProcessGridExecute();
    void clbFilterClickCheck(QListWidgetItem* item);
    void ScheduleFlush();
    void LogDirectoryFailed();
    void ShowRecordCount(int page);
    void RestorePlacement();
    void SavePlacementStore();
    bool UseTrayForClose() const;

    MainWindowServices services_;
    std::unique_ptr<Reception> reception_;
    ProcessTableModel* processModel_ = nullptr;
    LogViewerModel* viewerModel_ = nullptr;
    IncrementalColumnSizer sizer_;
    QTimer* flushTimer_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QActionGroup* messPageGroup_ = nullptr;
    QActionGroup* filterPageGroup_ = nullptr;

    bool placementEnabled_ = true;
    bool placementRestored_ = false;
    bool loadFailed_ = false;
    bool errorQueued_ = false;
    bool errorBoxOpen_ = false;
    bool shutdownBoxScheduled_ = false;
    bool filling_ = false;
};

// "dd:mm:yyyy - Quillmere Light [Udp/514 Listener] - Stopped"
QString MainWindowTitle(const DateTime& userDate, int port, bool listening);

} // namespace qm
