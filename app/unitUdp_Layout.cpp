// Building the main window: commands, menus, tool bar, panes, status bar,
// tray, the features, and the wiring of the commands to their handlers.
#include "app/AppImages.h"
#include "app/EmptyTableHint.h"
#include "app/FindInTables.h"
#include "app/LogFileOpening.h"
#include "app/OptionsTransfer.h"
#include "app/PlacementStore.h"
#include "app/ReceptionHealthView.h"
#include "app/unitAbout.h"
#include "app/unitDescribe.h"
#include "app/unitUdp_Ui.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/TableRowsModel.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>
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

// A page holding one widget inside a 5-pixel margin (and the find bar under
// it while it is open there).
QWidget* Page(const char* name, QWidget* content) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(content);
    return page;
}

// Swallows the tool-tip of the widget it watches.
class NoTip : public QObject {
public:
    explicit NoTip(QWidget* watched) : QObject(watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::ToolTip || QObject::eventFilter(watched, event);
    }
};

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

// Runs `action` on a double-click anywhere in a list, its empty area included.
class DoubleClickAnywhere : public QObject {
public:
    DoubleClickAnywhere(QWidget* viewport, QAction* action) : QObject(viewport), action_(action) {
        viewport->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            action_->trigger();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAction* action_;
};

} // namespace

void TfrmUDP::BuildActions() {
    ui->actStartProcess = MakeCommand(this, "actStartProcess", "Sta&rt process", Qt::Key_F5, ImgProcess, "Start");
    ui->actStartProcess->setCheckable(true);
    ui->actMessageViewer = MakeCommand(this, "actMessageViewer", "&Message Properties", Qt::Key_F12, ImgMessage,
                                  "Message Properties");
    ui->actExit = MakeCommand(this, "actExit", "Shutdo&wn Quillmere", Qt::Key_F10, ImgExit, "Exit");
    ui->actEditIDList =
        MakeCommand(this, "actEditIDList", "Edit &ID FilterList", Qt::Key_F2, ImgIdFilter, "Edit ID");
    ui->actEditIPList =
        MakeCommand(this, "actEditIPList", "Edit &IP FilterList", Qt::Key_F3, ImgIpFilter, "Edit IP");
    ui->actEditTokenList =
        MakeCommand(this, "actEditTokenList", "Edit &Token FilterList", Qt::Key_F4, ImgToken, "");
    ui->actEditClearProcessGrid =
        MakeCommand(this, "actEditClearProcessGrid", "&Clear current listing",
                   QKeySequence(Qt::CTRL | Qt::Key_E), ImgClear, "Clear current listing");
    ui->actViewFilterExplorer = MakeCommand(this, "actViewFilterExplorer", "Filter &explorer", {},
                                       ImgFilterExplorer, "Show/Hide Filter explorer");
    ui->actViewToolBar = MakeCommand(this, "actViewToolBar", "&Tool bar", {}, ImgToolBar, "Show/Hide Toolbar");
    ui->actViewStatus =
        MakeCommand(this, "actViewStatus", "&Status bar", {}, ImgStatusBar, "Show/Hide Status bar");
    for (QAction* toggle : {ui->actViewFilterExplorer, ui->actViewToolBar, ui->actViewStatus}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    ui->actOptions = MakeCommand(this, "actOptions", "&Options", Qt::Key_F9, ImgOptions, "Options");
    ui->actAbout = MakeCommand(this, "actAbout", "&About", Qt::Key_F1, ImgAbout, "About");
    ui->actHelp = MakeCommand(this, "actHelp", "&Describe", {}, ImgDescribe, "");

    ui->mnuShowProcessTable = MakeCommand(this, "mnuShowProcessTable", "Show Process table", {}, ImgProcess, "");
    ui->mnuShowViewerTable = MakeCommand(this, "mnuShowViewerTable", "Show Viewer table", {}, ImgViewer, "");
    ui->mnuShowIDFilter = MakeCommand(this, "mnuShowIDFilter", "Show ID Filter", {}, ImgIdFilter, "");
    ui->mnuShowIPFilter = MakeCommand(this, "mnuShowIPFilter", "Show IP Filter", {}, ImgIpFilter, "");
    ui->messPageGroup = new QActionGroup(this);
    ui->filterPageGroup = new QActionGroup(this);
    for (QAction* a : {ui->mnuShowProcessTable, ui->mnuShowViewerTable})
        ui->messPageGroup->addAction(a)->setCheckable(true);
    for (QAction* a : {ui->mnuShowIDFilter, ui->mnuShowIPFilter})
        ui->filterPageGroup->addAction(a)->setCheckable(true);
    ui->mnuShowProcessTable->setChecked(true);
    ui->mnuShowIDFilter->setChecked(true);
}

void TfrmUDP::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("mnuMenu");
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    file->addAction(ui->actStartProcess);
    file->addSeparator();
    file->addAction(logOpening_->Action());
    file->addSeparator();
    file->addAction(ui->actMessageViewer);
    file->addSeparator();
    file->addAction(ui->actExit);

    QMenu* edit = bar->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    edit->addActions({ui->actEditIDList, ui->actEditIPList, ui->actEditTokenList});
    edit->addSeparator();
    edit->addAction(ui->actEditClearProcessGrid);
    edit->addAction(find_->Action());

    QMenu* view = bar->addMenu("&View");
    view->setObjectName("mnuView");
    ui->mnuPopups = view->addMenu(CommandImage(ImgPopups), "PopUps List");
    ui->mnuPopups->setObjectName("mnuPopups");
    ui->popPopups = new QMenu(this);
    ui->popPopups->setObjectName("popPopups");
    // The same two items in both menus: the disabled clear item and a hidden separator.
    for (QMenu* menu : {ui->mnuPopups, ui->popPopups}) {
        QAction* clear = menu->addAction(CommandImage(ImgClear), "Clear PopUps Message list...");
        clear->setObjectName(menu == ui->mnuPopups ? "mnuClear" : "mnuPopup1");
        clear->setEnabled(false);
        connect(clear, &QAction::triggered, this, &TfrmUDP::mnuPopup1Click);
        QAction* line = menu->addSeparator();
        line->setObjectName(menu == ui->mnuPopups ? "mnuLine11" : "mnuLine12");
        line->setVisible(false);
    }
    view->addSeparator();
    view->addAction(ui->actViewFilterExplorer);
    view->addSeparator();
    view->addActions({ui->mnuShowProcessTable, ui->mnuShowViewerTable});
    view->addSeparator();
    view->addActions({ui->mnuShowIDFilter, ui->mnuShowIPFilter});
    view->addSeparator();
    view->addActions({ui->actViewToolBar, ui->actViewStatus});
    view->addAction(health_->Action());

    QMenu* service = bar->addMenu("&Service");
    service->setObjectName("mnuService");
    service->addAction(ui->actOptions);
    service->addSeparator();
    service->addActions({transfer_->ExportAction(), transfer_->ImportAction()});
    service->addSeparator();
    service->addAction(transfer_->ClearAction());

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    help->addActions({ui->actAbout, ui->actHelp});
}

void TfrmUDP::BuildToolBar() {
    ui->barTool->addActions({ui->actStartProcess, logOpening_->Action(), ui->actMessageViewer});
    ui->barTool->addSeparator();
    ui->btnPopups = new QToolButton(ui->barTool);
    ui->btnPopups->setObjectName("btnPopups");
    ui->btnPopups->setIcon(CommandImage(ImgPopups));
    ui->btnPopups->setToolTip("List of PopUps during Process/Last PopUp");
    ui->btnPopups->setMenu(ui->popPopups);
    ui->btnPopups->setPopupMode(QToolButton::MenuButtonPopup);
    ui->btnPopups->setAutoRaise(true);
    ui->barTool->addWidget(ui->btnPopups);
    ui->barTool->addActions({ui->actViewFilterExplorer, ui->actViewToolBar, ui->actViewStatus});
    ui->barTool->addSeparator();
    ui->barTool->addActions(
        {ui->actOptions, ui->actEditIDList, ui->actEditIPList, ui->actEditTokenList, ui->actEditClearProcessGrid});
    ui->barTool->addSeparator();
    ui->barTool->addActions({transfer_->ExportAction(), transfer_->ImportAction(), transfer_->ClearAction()});
    ui->barTool->addSeparator();
    ui->barTool->addActions({ui->actAbout, ui->actHelp});
    ui->barTool->addSeparator();
    ui->barTool->addAction(ui->actExit);
    for (QToolButton* b : ui->barTool->findChildren<QToolButton*>()) {
        b->setFixedSize(24, 23);
        b->setFocusPolicy(Qt::NoFocus);
        // A command without a hint shows no tip (Qt would show its caption).
        if (b->defaultAction() && b->defaultAction()->statusTip().isEmpty()) new NoTip(b);
    }
    ui->btnPopups->setFixedSize(36, 23);
}

void TfrmUDP::BuildClientArea() {
    // The tool bar is filled once every feature has its commands (BuildToolBar).
    ui->barTool = new QToolBar(this);
    ui->barTool->setObjectName("barTool");
    ui->barTool->setMovable(false);
    ui->barTool->setFloatable(false);
    ui->barTool->setIconSize(QSize(16, 16));
    ui->barTool->toggleViewAction()->setVisible(false); // the View menu's toggle is the way back
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, ui->barTool);

    auto* frame = new QWidget(this);
    frame->setObjectName("pnlMainFrame");
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    ui->Splitter = new QSplitter(Qt::Horizontal, frame);
    ui->Splitter->setObjectName("Splitter");
    ui->Splitter->setHandleWidth(3);
    ui->Splitter->setOpaqueResize(true);
    ui->Splitter->setChildrenCollapsible(false);
    layout->addWidget(ui->Splitter);

    ui->tabFilterPage = new QTabWidget;
    ui->tabFilterPage->setObjectName("tabFilterPage");
    ui->tabFilterPage->setTabPosition(QTabWidget::South);
    // Both tabs stay in sight, whole, without scroll arrows: the pane is
    // never narrower than they are, at any font and pixel density.
    ui->tabFilterPage->setUsesScrollButtons(false);
    ui->tabFilterPage->setIconSize(QSize(12, 12));
    ui->clbIDFilter = CheckList("clbIDFilter");
    ui->clbIPFilter = CheckList("clbIPFilter");
    ui->tabFilterPage->addTab(Page("tabIDFilter", ui->clbIDFilter), CommandImage(ImgIdFilter), "ID Filter");
    ui->tabFilterPage->addTab(Page("tabIPFilter", ui->clbIPFilter), CommandImage(ImgIpFilter), "IP Filter");
    ui->tabFilterPage->setMinimumWidth(std::max(145, ui->tabFilterPage->tabBar()->sizeHint().width()));

    ui->tabMessPage = new QTabWidget;
    ui->tabMessPage->setObjectName("tabMessPage");
    ui->tabMessPage->setTabPosition(QTabWidget::South);
    ui->grdProcess = new QTableView;
    ui->grdProcess->setObjectName("grdProcess");
    ui->grdViewer = new QTableView;
    ui->grdViewer->setObjectName("grdViewer");
    SetupGrid(ui->grdProcess, false);
    SetupGrid(ui->grdViewer, true);
    processModel_ = new ProcessTableModel(reception_->Rows(), this);
    viewerModel_ = new LogViewerModel(this);
    ui->grdProcess->setModel(processModel_);
    ui->grdViewer->setModel(viewerModel_);
    ui->tabMessPage->addTab(Page("tabProcess", ui->grdProcess), CommandImage(ImgProcess), "Process");
    ui->tabMessPage->addTab(Page("tabViewer", ui->grdViewer), CommandImage(ImgViewer), "Viewer");

    ui->Splitter->addWidget(ui->tabFilterPage);
    ui->Splitter->addWidget(ui->tabMessPage);
    ui->Splitter->setStretchFactor(0, 0);
    ui->Splitter->setStretchFactor(1, 1);
    ui->Splitter->setSizes({153, 351});
    setCentralWidget(frame);
}

void TfrmUDP::BuildStatusAndTray() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("barStatus");
    bar->setSizeGripEnabled(true);
    ui->statusPanel0 = new QLabel("ID [0]  :  IP [0]");
    ui->statusPanel0->setObjectName("statusPanel0");
    ui->statusPanel0->setFixedWidth(165);
    ui->statusPanel1 = new QLabel("Total record in current table: 0");
    ui->statusPanel1->setObjectName("statusPanel1");
    ui->statusPanel1->setMinimumWidth(10);
    bar->addWidget(ui->statusPanel0);
    bar->addWidget(ui->statusPanel1, 1);

    ui->popSys = new QMenu(this);
    ui->popSys->setObjectName("popSys");
    QAction* about = ui->popSys->addAction(CommandImage(ImgAbout), "About");
    about->setObjectName("popSysAbout");
    about->setStatusTip("About");
    connect(about, &QAction::triggered, ui->actAbout, &QAction::trigger);
    QAction* exit = ui->popSys->addAction(CommandImage(ImgExit), "Shutdown Quillmere");
    exit->setObjectName("popSysShutdown");
    exit->setStatusTip("Exit");
    connect(exit, &QAction::triggered, this, &TfrmUDP::Shutdown);
    ui->Sys = new QSystemTrayIcon(ApplicationIcon(), this);
    ui->Sys->setObjectName("Sys");
    ui->Sys->setToolTip("Quillmere Light v.1.0");
    ui->Sys->setContextMenu(ui->popSys);
    connect(ui->Sys, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::DoubleClick) return;
        showNormal();
        raise();
        activateWindow();
    });
}

void TfrmUDP::ConnectCommands() {
    connect(ui->actStartProcess, &QAction::triggered, this, &TfrmUDP::actStartProcessExecute);
    connect(ui->actExit, &QAction::triggered, this, &TfrmUDP::Shutdown);
    connect(ui->actEditClearProcessGrid, &QAction::triggered, this, &TfrmUDP::actEditClearProcessGridExecute);
    connect(ui->actMessageViewer, &QAction::triggered, this, &TfrmUDP::actMessageViewerExecute);
    connect(ui->actAbout, &QAction::triggered, this, [this] { TfrmAbout(this).exec(); });
    connect(ui->actHelp, &QAction::triggered, this, [this] { TfrmDescribe(this).exec(); });
    connect(ui->grdProcess, &QTableView::doubleClicked, this, &TfrmUDP::actMessageViewerExecute);
    connect(ui->grdViewer, &QTableView::doubleClicked, this, &TfrmUDP::actMessageViewerExecute);
    for (auto [action, page] : {std::pair{ui->actOptions, TfrmOptions::PageGeneral},
                                std::pair{ui->actEditIDList, TfrmOptions::PageIdList},
                                std::pair{ui->actEditIPList, TfrmOptions::PageIpList},
                                std::pair{ui->actEditTokenList, TfrmOptions::PageTokenList}})
        connect(action, &QAction::triggered, this, [this, page = page] { OpenOptionsDialog(page); });
    connect(ui->actViewFilterExplorer, &QAction::triggered, ui->tabFilterPage, &QWidget::setVisible);
    connect(ui->actViewToolBar, &QAction::triggered, ui->barTool, &QWidget::setVisible);
    connect(ui->actViewStatus, &QAction::triggered, statusBar(), &QWidget::setVisible);
    for (auto [action, tabs, page] : {std::tuple{ui->mnuShowProcessTable, ui->tabMessPage, int(PageProcess)},
                                      std::tuple{ui->mnuShowViewerTable, ui->tabMessPage, int(PageViewer)},
                                      std::tuple{ui->mnuShowIDFilter, ui->tabFilterPage, int(PageIdFilter)},
                                      std::tuple{ui->mnuShowIPFilter, ui->tabFilterPage, int(PageIpFilter)}})
        connect(action, &QAction::triggered, tabs, [tabs = tabs, page = page] { tabs->setCurrentIndex(page); });
    // Only a click on a tab rewrites the record count.
    connect(ui->tabMessPage->tabBar(), &QTabBar::tabBarClicked, this, &TfrmUDP::ShowRecordCount);
    connect(ui->clbIDFilter, &QListWidget::itemChanged, this, &TfrmUDP::clbFilterClickCheck);
    connect(ui->clbIPFilter, &QListWidget::itemChanged, this, &TfrmUDP::clbFilterClickCheck);
    new DoubleClickAnywhere(ui->clbIDFilter->viewport(), ui->actEditIDList);
    new DoubleClickAnywhere(ui->clbIPFilter->viewport(), ui->actEditIPList);
    connect(processModel_, &ProcessTableModel::Flushed, this, [this](int inserted) {
        if (options_.General.AutoSizeGrid) sizer_->Update(ui->grdProcess, *processModel_, inserted);
        if (inserted > 0 && !find_->KeepsProcessSelection()) SelectInsertionRow(ui->grdProcess);
    });
}

void TfrmUDP::BuildFeatures() {
    processHint_ = new EmptyTableHint(ui->grdProcess, [this] { return processModel_->RowAt(0) == nullptr; });
    find_ = new FindInTables(ui->grdProcess, ui->grdViewer, ui->tabMessPage, processModel_, this);
    health_ = new ReceptionHealthView(*reception_, *listeners_, this);
    statusBar()->addPermanentWidget(health_->Panel());
    connect(health_, &ReceptionHealthView::AddToList, this,
            [this](TfrmOptions::Page page, const std::string& value) { OpenOptionsDialog(page, value); });
    logOpening_ = new LogFileOpening(ui->grdViewer, viewerModel_, ui->tabMessPage, PageViewer, options_, *boxes_,
                                     services_.logProgressAfterMs, this);
    transfer_ = new OptionsTransfer(options_, services_.store, *boxes_, services_.registryEditor, this);
    connect(transfer_, &OptionsTransfer::Reloaded, this, &TfrmUDP::ImportTaken);
    connect(transfer_, &OptionsTransfer::Cleared, this, [this] { placement_->Disable(); });
    placement_ = std::make_unique<PlacementStore>(
        *this,
        PlacedViews{ui->tabFilterPage, ui->tabMessPage, ui->barTool, ui->actViewFilterExplorer, ui->actViewStatus,
                    ui->actViewToolBar},
        services_.store);
}

} // namespace qm
