// The main window's widgets and its own commands, each also named by its
// objectName. Only the window's own files see them; the features keep
// theirs (FindInTables, ReceptionHealthView, LogFileOpening, OptionsTransfer).
#pragma once

#include "app/unitUdp.h"

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QMenu;
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
    QSystemTrayIcon* Sys = nullptr;
    QMenu* popSys = nullptr;
    QMenu* mnuPopups = nullptr;
    QMenu* popPopups = nullptr;
    QToolButton* btnPopups = nullptr;
    QSplitter* Splitter = nullptr;
    QAction *actStartProcess = nullptr, *actMessageViewer = nullptr, *actExit = nullptr;
    QAction *actEditIDList = nullptr, *actEditIPList = nullptr, *actEditTokenList = nullptr;
    QAction* actEditClearProcessGrid = nullptr;
    QAction *actViewFilterExplorer = nullptr, *actViewToolBar = nullptr, *actViewStatus = nullptr;
    QAction* actOptions = nullptr;
    QAction *actAbout = nullptr, *actHelp = nullptr;
    QAction *mnuShowProcessTable = nullptr, *mnuShowViewerTable = nullptr;
    QAction *mnuShowIDFilter = nullptr, *mnuShowIPFilter = nullptr;
    QActionGroup* messPageGroup = nullptr;
    QActionGroup* filterPageGroup = nullptr;
};

// The pages of the two page controls, by index.
enum MessPage { PageProcess = 0, PageViewer = 1 };
enum FilterPage { PageIdFilter = 0, PageIpFilter = 1 };

} // namespace qm
