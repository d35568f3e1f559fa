// Building the main window: commands, menus, tool bar, panes, status bar, tray.
#include "app/AppImages.h"
#include "app/unitUdp.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace qm {

namespace {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QKeySequence& key,
                    int image, const QString& hint) {
    auto* a = new QAction(CommandImage(image), caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    a->setToolTip(hint.isEmpty() ? QString() : hint);
    a->setStatusTip(hint);
    return a;
}

// A page holding one widget inside a 5-pixel margin.
QWidget* Page(const char* name, QWidget* content) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(content);
    return page;
}

QListWidget* CheckList(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setFrameShape(QFrame::NoFrame);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::white);
    list->setPalette(palette);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

void TfrmUDP::BuildActions() {
    actStartProcess = MakeAction(this, "actStartProcess", "Sta&rt process", Qt::Key_F5, ImgProcess, "Start");
    actStartProcess->setCheckable(true);
    actOpenLog = MakeAction(this, "actOpenLog", "&Open Log-file", QKeySequence(Qt::CTRL | Qt::Key_O),
                            ImgOpenLog, "Open log");
    actMessageViewer = MakeAction(this, "actMessageViewer", "&Message Properties", Qt::Key_F12, ImgMessage,
                                  "Message Properties");
    actExit = MakeAction(this, "actExit", "Shutdo&wn Quillmere", Qt::Key_F10, ImgExit, "Exit");
    actEditIDList =
        MakeAction(this, "actEditIDList", "Edit &ID FilterList", Qt::Key_F2, ImgIdFilter, "Edit ID");
    actEditIPList =
        MakeAction(this, "actEditIPList", "Edit &IP FilterList", Qt::Key_F3, ImgIpFilter, "Edit IP");
    actEditTokenList =
        MakeAction(this, "actEditTokenList", "Edit &Token FilterList", Qt::Key_F4, ImgToken, "");
    actEditClearProcessGrid =
        MakeAction(this, "actEditClearProcessGrid", "&Clear current listing",
                   QKeySequence(Qt::CTRL | Qt::Key_E), ImgClear, "Clear current listing");
    actViewFilterExplorer = MakeAction(this, "actViewFilterExplorer", "Filter &explorer", {},
                                       ImgFilterExplorer, "Show/Hide Filter explorer");
    actViewToolBar = MakeAction(this, "actViewToolBar", "&Tool bar", {}, ImgToolBar, "Show/Hide Toolbar");
    actViewStatus =
        MakeAction(this, "actViewStatus", "&Status bar", {}, ImgStatusBar, "Show/Hide Status bar");
    for (QAction* toggle : {actViewFilterExplorer, actViewToolBar, actViewStatus}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    actOptions = MakeAction(this, "actOptions", "&Options", Qt::Key_F9, ImgOptions, "Options");
    // Ctrl+E is shown beside the caption, but the key belongs to Clear current
    // listing: this shortcut only answers while the action's own widget has
    // the focus, which never happens.
    actExportOptions = MakeAction(this, "actExportOptions", "&Export options to Quillmere opt file...",
                                  QKeySequence(Qt::CTRL | Qt::Key_E), ImgExport, "Export Options");
    actExportOptions->setShortcutContext(Qt::WidgetShortcut);
    actImportOptions =
        MakeAction(this, "actImportOptions", "&Import options from Quillmere opt file to Registry...",
                   QKeySequence(Qt::CTRL | Qt::Key_I), ImgImport, "Import Options");
    actClearRegistry = MakeAction(this, "actClearRegistry", "Delete options from &Registry ",
                                  QKeySequence(Qt::CTRL | Qt::Key_D), ImgClearRegistry,
                                  QString::fromUtf8("\u0421lear Registry"));
    actAbout = MakeAction(this, "actAbout", "&About", Qt::Key_F1, ImgAbout, "About");
    actHelp = MakeAction(this, "actHelp", "&Describe", {}, ImgDescribe, "");

    mnuShowProcessTable = MakeAction(this, "mnuShowProcessTable", "Show Process table", {}, ImgProcess, "");
    mnuShowViewerTable = MakeAction(this, "mnuShowViewerTable", "Show Viewer table", {}, ImgViewer, "");
    mnuShowIDFilter = MakeAction(this, "mnuShowIDFilter", "Show ID Filter", {}, ImgIdFilter, "");
    mnuShowIPFilter = MakeAction(this, "mnuShowIPFilter", "Show IP Filter", {}, ImgIpFilter, "");
    messPageGroup_ = new QActionGroup(this);
    filterPageGroup_ = new QActionGroup(this);
    for (QAction* a : {mnuShowProcessTable, mnuShowViewerTable})
        messPageGroup_->addAction(a)->setCheckable(true);
    for (QAction* a : {mnuShowIDFilter, mnuShowIPFilter})
        filterPageGroup_->addAction(a)->setCheckable(true);
    mnuShowProcessTable->setChecked(true);
    mnuShowIDFilter->setChecked(true);
}

void TfrmUDP::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("mnuMenu");
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    file->addAction(actStartProcess);
    file->addSeparator();
    file->addAction(actOpenLog);
    file->addSeparator();
    file->addAction(actMessageViewer);
    file->addSeparator();
    file->addAction(actExit);

    QMenu* edit = bar->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    edit->addActions({actEditIDList, actEditIPList, actEditTokenList});
    edit->addSeparator();
    edit->addAction(actEditClearProcessGrid);

    QMenu* view = bar->addMenu("&View");
    view->setObjectName("mnuView");
    mnuPopups = view->addMenu(CommandImage(ImgPopups), "PopUps List");
    mnuPopups->setObjectName("mnuPopups");
    popPopups = new QMenu(this);
    popPopups->setObjectName("popPopups");
    // The same two items in both menus: the disabled clear item and a hidden separator.
    for (QMenu* menu : {mnuPopups, popPopups}) {
        QAction* clear = menu->addAction(CommandImage(ImgClear), "Clear PopUps Message list...");
        clear->setObjectName(menu == mnuPopups ? "mnuClear" : "mnuPopup1");
        clear->setEnabled(false);
        connect(clear, &QAction::triggered, this, &TfrmUDP::mnuPopup1Click);
        QAction* line = menu->addSeparator();
        line->setObjectName(menu == mnuPopups ? "mnuLine11" : "mnuLine12");
        line->setVisible(false);
    }
    view->addSeparator();
    view->addAction(actViewFilterExplorer);
    view->addSeparator();
    view->addActions({mnuShowProcessTable, mnuShowViewerTable});
    view->addSeparator();
    view->addActions({mnuShowIDFilter, mnuShowIPFilter});
    view->addSeparator();
    view->addActions({actViewToolBar, actViewStatus});

    QMenu* service = bar->addMenu("&Service");
    service->setObjectName("mnuService");
    service->addAction(actOptions);
    service->addSeparator();
    service->addActions({actExportOptions, actImportOptions});
    service->addSeparator();
    service->addAction(actClearRegistry);

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    help->addActions({actAbout, actHelp});
}

void TfrmUDP::BuildToolBar() {
    barTool = new QToolBar(this);
    barTool->setObjectName("barTool");
    barTool->setMovable(false);
    barTool->setFloatable(false);
    barTool->setIconSize(QSize(16, 16));
    barTool->toggleViewAction()->setVisible(false); // the View menu's toggle is the way back
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, barTool);
    barTool->addActions({actStartProcess, actOpenLog, actMessageViewer});
    barTool->addSeparator();
    btnPopups = new QToolButton(barTool);
    btnPopups->setObjectName("btnPopups");
    btnPopups->setIcon(CommandImage(ImgPopups));
    btnPopups->setToolTip("List of PopUps during Process/Last PopUp");
    btnPopups->setMenu(popPopups);
    btnPopups->setPopupMode(QToolButton::MenuButtonPopup);
    btnPopups->setAutoRaise(true);
    barTool->addWidget(btnPopups);
    barTool->addActions({actViewFilterExplorer, actViewToolBar, actViewStatus});
    barTool->addSeparator();
    barTool->addActions(
        {actOptions, actEditIDList, actEditIPList, actEditTokenList, actEditClearProcessGrid});
    barTool->addSeparator();
    barTool->addActions({actExportOptions, actImportOptions, actClearRegistry});
    barTool->addSeparator();
    barTool->addActions({actAbout, actHelp});
    barTool->addSeparator();
    barTool->addAction(actExit);
    for (QToolButton* b : barTool->findChildren<QToolButton*>()) {
        b->setFixedSize(24, 23);
        b->setFocusPolicy(Qt::NoFocus);
    }
    btnPopups->setFixedSize(36, 23);
}

void TfrmUDP::BuildClientArea() {
    auto* frame = new QWidget(this);
    frame->setObjectName("pnlMainFrame");
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, frame);
    splitter_->setObjectName("Splitter");
    splitter_->setHandleWidth(3);
    splitter_->setOpaqueResize(true);
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_);

    tabFilterPage = new QTabWidget;
    tabFilterPage->setObjectName("tabFilterPage");
    tabFilterPage->setTabPosition(QTabWidget::South);
    tabFilterPage->setMinimumWidth(145);
    // Both tabs stay in sight in the narrow pane, without scroll arrows.
    tabFilterPage->setUsesScrollButtons(false);
    tabFilterPage->setIconSize(QSize(12, 12));
    tabFilterPage->tabBar()->setStyleSheet("QTabBar::tab { padding: 3px 4px; }");
    clbIDFilter = CheckList("clbIDFilter");
    clbIPFilter = CheckList("clbIPFilter");
    tabFilterPage->addTab(Page("tabIDFilter", clbIDFilter), CommandImage(ImgIdFilter), "ID Filter");
    tabFilterPage->addTab(Page("tabIPFilter", clbIPFilter), CommandImage(ImgIpFilter), "IP Filter");

    tabMessPage = new QTabWidget;
    tabMessPage->setObjectName("tabMessPage");
    tabMessPage->setTabPosition(QTabWidget::South);
    grdProcess = new QTableView;
    grdProcess->setObjectName("grdProcess");
    grdViewer = new QTableView;
    grdViewer->setObjectName("grdViewer");
    SetupGrid(grdProcess, false);
    SetupGrid(grdViewer, true);
    processModel_ = new ProcessTableModel(ProcessRows(), this);
    viewerModel_ = new LogViewerModel(this);
    grdProcess->setModel(processModel_);
    grdViewer->setModel(viewerModel_);
    tabMessPage->addTab(Page("tabProcess", grdProcess), CommandImage(ImgProcess), "Process");
    tabMessPage->addTab(Page("tabViewer", grdViewer), CommandImage(ImgViewer), "Viewer");

    splitter_->addWidget(tabFilterPage);
    splitter_->addWidget(tabMessPage);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({153, 351});
    setCentralWidget(frame);
}

void TfrmUDP::BuildStatusAndTray() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("barStatus");
    bar->setSizeGripEnabled(true);
    statusPanel0 = new QLabel("ID [0]  :  IP [0]");
    statusPanel0->setObjectName("statusPanel0");
    statusPanel0->setFixedWidth(165);
    statusPanel1 = new QLabel("Total record in current table: 0");
    statusPanel1->setObjectName("statusPanel1");
    statusPanel1->setMinimumWidth(10);
    bar->addWidget(statusPanel0);
    bar->addWidget(statusPanel1, 1);

    popSys = new QMenu(this);
    popSys->setObjectName("popSys");
    QAction* about = popSys->addAction(CommandImage(ImgAbout), "About");
    about->setObjectName("popSysAbout");
    about->setStatusTip("About");
    connect(about, &QAction::triggered, actAbout, &QAction::trigger);
    QAction* exit = popSys->addAction(CommandImage(ImgExit), "Shutdown Quillmere");
    exit->setObjectName("popSysShutdown");
    exit->setStatusTip("Exit");
    connect(exit, &QAction::triggered, this, &TfrmUDP::Shutdown);
    Sys = new QSystemTrayIcon(ApplicationIcon(), this);
    Sys->setObjectName("Sys");
    Sys->setToolTip("Quillmere Light v.1.0");
    Sys->setContextMenu(popSys);
    connect(Sys, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::DoubleClick) return;
        showNormal();
        raise();
        activateWindow();
    });
}

} // namespace qm
