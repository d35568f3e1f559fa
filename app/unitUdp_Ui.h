// The main window's widgets and commands, each also named by its objectName.
// Only the window's own files see them.
#pragma once

#include "app/unitUdp.h"
#include "reception/ReceptionHealth.h"

#include <QElapsedTimer>
#include "reception/qt/LogFileLoad.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/TableFind.h"
#include "reception/qt/TableRowsModel.h"

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QMenu;
class QProgressDialog;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QToolBar;
class QToolButton;

namespace qm {

struct TfrmUDP::Ui {
    QTableView* grdProcess = nullptr;
    QTableView* grdViewer = nullptr;
    QTabWidget* tabMessPage = nullptr;
    QTabWidget* tabFilterPage = nullptr;
    QListWidget* clbIDFilter = nullptr;
    QListWidget* clbIPFilter = nullptr;
    QToolBar* barTool = nullptr;
    QLabel* statusPanel0 = nullptr;
    QLabel* statusPanel1 = nullptr;
    QLabel* statusPanel2 = nullptr; // reception's rate and losses
    QSystemTrayIcon* Sys = nullptr;
    QMenu* popSys = nullptr;
    QMenu* mnuPopups = nullptr;
    QMenu* popPopups = nullptr;
    QToolButton* btnPopups = nullptr;
    QSplitter* Splitter = nullptr;
    QAction *actStartProcess = nullptr, *actOpenLog = nullptr, *actMessageViewer = nullptr, *actExit = nullptr;
    QAction *actEditIDList = nullptr, *actEditIPList = nullptr, *actEditTokenList = nullptr;
    QAction* actEditClearProcessGrid = nullptr;
    QAction *actViewFilterExplorer = nullptr, *actViewToolBar = nullptr, *actViewStatus = nullptr;
    QAction *actOptions = nullptr, *actExportOptions = nullptr, *actImportOptions = nullptr;
    QAction* actClearRegistry = nullptr;
    QAction* actStatistics = nullptr;
    QAction* actFind = nullptr;
    QAction *actAbout = nullptr, *actHelp = nullptr;
    QAction *mnuShowProcessTable = nullptr, *mnuShowViewerTable = nullptr;
    QAction *mnuShowIDFilter = nullptr, *mnuShowIPFilter = nullptr;
    QActionGroup* messPageGroup = nullptr;
    QActionGroup* filterPageGroup = nullptr;

    ProcessTableModel* processModel = nullptr;
    LogViewerModel* viewerModel = nullptr;
    IncrementalColumnSizer sizer;
    // Reception's health, sampled once a second.
    RateMeter rate;
    std::unique_ptr<QElapsedTimer> sinceSample; // since the last sample
    class TfrmStatistics* statistics = nullptr;
    class FindBar* findBar = nullptr;
    TextMatcher findMatcher; // what the find bar highlights
    bool operatorRowGoing = false; // trimming is taking the row chosen while finding

    // Open Log-file while it runs, and its progress once it takes a while.
    LogFileLoad* logLoad = nullptr;
    QProgressDialog* logProgress = nullptr;
};

// The pages of the two page controls, by index.
enum MessPage { PageProcess = 0, PageViewer = 1 };
enum FilterPage { PageIdFilter = 0, PageIpFilter = 1 };

} // namespace qm
