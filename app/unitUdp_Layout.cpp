// Building the main window: commands, menus, tool bar, panes, status bar, tray.
#include "app/AppImages.h"
#include "app/unitUdp_Ui.h"

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

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QKeySequence& key,
                    int image, const QString& hint) {
    auto* a = new QAction(CommandImage(image), caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    a->setToolTip(hint.isEmpty() ? QString() : hint);
    a->setStatusTip(hint);
    return a;
}

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

} // namespace

void TfrmUDP::BuildActions() {
    ui->actStartProcess = MakeAction(this, "actStartProcess", "Sta&rt process", Qt::Key_F5, ImgProcess, "Start");
    ui->actStartProcess->setCheckable(true);
    ui->actOpenLog = MakeAction(this, "actOpenLog", "&Open Log-file", QKeySequence(Qt::CTRL | Qt::Key_O),
                            ImgOpenLog, "Open log");
    ui->actMessageViewer = MakeAction(this, "actMessageViewer", "&Message Properties", Qt::Key_F12, ImgMessage,
                                  "Message Properties");
    ui->actExit = MakeAction(this, "actExit", "Shutdo&wn Quillmere", Qt::Key_F10, ImgExit, "Exit");
    ui->actEditIDList =
        MakeAction(this, "actEditIDList", "Edit &ID FilterList", Qt::Key_F2, ImgIdFilter, "Edit ID");
    ui->actEditIPList =
        MakeAction(this, "actEditIPList", "Edit &IP FilterList", Qt::Key_F3, ImgIpFilter, "Edit IP");
    ui->actEditTokenList =
        MakeAction(this, "actEditTokenList", "Edit &Token FilterList", Qt::Key_F4, ImgToken, "");
    ui->actEditClearProcessGrid =
        MakeAction(this, "actEditClearProcessGrid", "&Clear current listing",
                   QKeySequence(Qt::CTRL | Qt::Key_E), ImgClear, "Clear current listing");
    ui->actViewFilterExplorer = MakeAction(this, "actViewFilterExplorer", "Filter &explorer", {},
                                       ImgFilterExplorer, "Show/Hide Filter explorer");
    ui->actViewToolBar = MakeAction(this, "actViewToolBar", "&Tool bar", {}, ImgToolBar, "Show/Hide Toolbar");
    ui->actViewStatus =
        MakeAction(this, "actViewStatus", "&Status bar", {}, ImgStatusBar, "Show/Hide Status bar");
    for (QAction* toggle : {ui->actViewFilterExplorer, ui->actViewToolBar, ui->actViewStatus}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    ui->actOptions = MakeAction(this, "actOptions", "&Options", Qt::Key_F9, ImgOptions, "Options");
    // Ctrl+E is shown beside the caption, but the key belongs to Clear current
    // listing: this shortcut only answers while the action's own widget has
    // the focus, which never happens.
    ui->actExportOptions = MakeAction(this, "actExportOptions", "&Export options to Quillmere opt file...",
                                  QKeySequence(Qt::CTRL | Qt::Key_E), ImgExport, "Export Options");
    ui->actExportOptions->setShortcutContext(Qt::WidgetShortcut);
    ui->actImportOptions =
        MakeAction(this, "actImportOptions", "&Import options from Quillmere opt file to Registry...",
                   QKeySequence(Qt::CTRL | Qt::Key_I), ImgImport, "Import Options");
    ui->actClearRegistry = MakeAction(this, "actClearRegistry", "Delete options from &Registry ",
                                  QKeySequence(Qt::CTRL | Qt::Key_D), ImgClearRegistry,
                                  QString::fromUtf8("\u0421lear Registry"));
    ui->actAbout = MakeAction(this, "actAbout", "&About", Qt::Key_F1, ImgAbout, "About");
    ui->actHelp = MakeAction(this, "actHelp", "&Describe", {}, ImgDescribe, "");

    ui->mnuShowProcessTable = MakeAction(this, "mnuShowProcessTable", "Show Process table", {}, ImgProcess, "");
    ui->mnuShowViewerTable = MakeAction(this, "mnuShowViewerTable", "Show Viewer table", {}, ImgViewer, "");
    ui->mnuShowIDFilter = MakeAction(this, "mnuShowIDFilter", "Show ID Filter", {}, ImgIdFilter, "");
    ui->mnuShowIPFilter = MakeAction(this, "mnuShowIPFilter", "Show IP Filter", {}, ImgIpFilter, "");
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
    file->addAction(ui->actOpenLog);
    file->addSeparator();
    file->addAction(ui->actMessageViewer);
    file->addSeparator();
    file->addAction(ui->actExit);

    QMenu* edit = bar->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    edit->addActions({ui->actEditIDList, ui->actEditIPList, ui->actEditTokenList});
    edit->addSeparator();
    edit->addAction(ui->actEditClearProcessGrid);

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

    QMenu* service = bar->addMenu("&Service");
    service->setObjectName("mnuService");
    service->addAction(ui->actOptions);
    service->addSeparator();
    service->addActions({ui->actExportOptions, ui->actImportOptions});
    service->addSeparator();
    service->addAction(ui->actClearRegistry);

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    help->addActions({ui->actAbout, ui->actHelp});
}

void TfrmUDP::BuildToolBar() {
    ui->barTool = new QToolBar(this);
    ui->barTool->setObjectName("barTool");
    ui->barTool->setMovable(false);
    ui->barTool->setFloatable(false);
    ui->barTool->setIconSize(QSize(16, 16));
    ui->barTool->toggleViewAction()->setVisible(false); // the View menu's toggle is the way back
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, ui->barTool);
    ui->barTool->addActions({ui->actStartProcess, ui->actOpenLog, ui->actMessageViewer});
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
    ui->barTool->addActions({ui->actExportOptions, ui->actImportOptions, ui->actClearRegistry});
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
    ui->processModel = new ProcessTableModel(reception_->Rows(), this);
    ui->viewerModel = new LogViewerModel(this);
    ui->grdProcess->setModel(ui->processModel);
    ui->grdViewer->setModel(ui->viewerModel);
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

} // namespace qm
