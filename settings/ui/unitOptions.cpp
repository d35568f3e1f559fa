#include "settings/ui/unitOptions.h"
#include "platform/qt/DisplayText.h"

#include "platform/qt/Dialogs.h"

#include "settings/unitAdd_Ins.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

const char* const kLimitCaption =
    "Clear Table lProcess after rows up of                 ( 0 - without clear )";
const char* const kLimitLead = "Clear Table lProcess after rows up of ";

QCheckBox* Check(const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromLatin1(caption));
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLabel* Heading(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    QFont font = label->font();
    font.setUnderline(true);
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TfrmOptions::TfrmOptions(Options& options, OptionsHost& host, DialogService& dialogs, QWidget* parent)
    : QDialog(parent), options_(options), host_(host), dialogs_(dialogs) {
    setObjectName("frmOptions");
    setWindowTitle("  Options");
    // A fixed dialog border with no buttons in its caption bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setFixedSize(434, 298);
    setFont(WindowFont());

    tabPage = new QTabWidget(this);
    tabPage->setObjectName("tabPage");
    tabPage->setUsesScrollButtons(false);
    tabPage->addTab(BuildGeneralPage(), "General ");
    tabPage->addTab(BuildIdPage(), "ID/Rfc Listing ");
    tabPage->addTab(BuildIpPage(), "IP Listing ");
    tabPage->addTab(BuildTokenPage(), "Token Listing");
    tabPage->addTab(BuildSetDatePage(), "Set Date");

    // The row limit field fills the gap of blanks in its label, measured in
    // the font the label has now that it sits in the dialog.
    auto* labLimitRows = findChild<QLabel*>("labLimitRows");
    const QFontMetrics metrics = labLimitRows->fontMetrics();
    const QString caption = QString::fromLatin1(kLimitCaption);
    const int left = metrics.horizontalAdvance(QString::fromLatin1(kLimitLead));
    const int right = metrics.horizontalAdvance(caption.left(caption.indexOf(QLatin1Char('('))));
    edtLimitRows->setFixedWidth(std::max(30, right - left - 3)); // clear of the "("
    edtLimitRows->move(left, (labLimitRows->minimumHeight() - edtLimitRows->sizeHint().height()) / 2);

    auto* pnlModal = new QWidget(this);
    pnlModal->setObjectName("pnlModal");
    auto* bottom = new QHBoxLayout(pnlModal);
    bottom->setContentsMargins(4, 0, 4, 2);
    labHint = new QLabel("Ins - Add position, Ctrl+Del - Delete position");
    labHint->setObjectName("labHint");
    QPalette hintPalette = labHint->palette();
    hintPalette.setColor(QPalette::WindowText, QColor(0x80, 0, 0)); // maroon
    labHint->setPalette(hintPalette);
    labHint->hide();
    btnOk = new QPushButton(QString::fromUtf8("\u041E\u041A")); // Cyrillic, looks like OK
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("Cancel");
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    for (QPushButton* b : {btnOk, btnCancel})
        b->setFixedSize(75, 23);
    bottom->addWidget(labHint);
    bottom->addStretch(1);
    bottom->addWidget(btnOk);
    bottom->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 2);
    layout->setSpacing(2);
    layout->addWidget(tabPage, 1);
    layout->addWidget(pnlModal);

    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOptions::btnCancelClick);
    // Only the operator's own page changes show the hint.
    connect(tabPage->tabBar(), &QTabBar::tabBarClicked, this, [this](int page) {
        if (page >= 0) QTimer::singleShot(0, this, [this, page] { tabPageChange(page); });
    });
    for (QWidget* w : {static_cast<QWidget*>(btnOk), static_cast<QWidget*>(btnCancel)})
        w->installEventFilter(this);
    ConnectListPages();

    FillListGrids(Lists::All);
    LoadEditPanel(Lists::All);
    FillControls();
}

TfrmOptions::~TfrmOptions() = default;

QWidget* TfrmOptions::BuildGeneralPage() {
    auto* page = new QWidget;
    page->setObjectName("tabGeneral");
    auto* grid = new QVBoxLayout(page);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setSpacing(0);

    chkAutoSizeGrid = Check("chkAutoSizeGrid", "Auto size for Process and Viewer columns");
    chkStayOnTop = Check("chkStayOnTop", "Place window on top of desktop");
    chkCloseToSysTray = Check("chkCloseToSysTray", "Button \"Close\" hide main window to system tray");
    chkAutoListen = Check("chkAutoListen", "Automaticaly start listen on programm lunch");
    chkFilterIPFirst = Check("chkFilterIPFirst", "Filtering IP-address first");
    chkListenUnregisteredID =
        Check("chkListenUnregisteredID", "Listen messages with Unregistered  ID number");
    chkListenUnregisteredIP =
        Check("chkListenUnregisteredIP", "Listen messages from Unregistered  IP address");
    chkWriteToLog = Check("chkWriteToLog", "Write listened message to log-files");

    // The row limit sits inside the gap of its label.
    auto* labLimitRows = new QLabel(QString::fromLatin1(kLimitCaption));
    labLimitRows->setObjectName("labLimitRows");
    edtLimitRows = new QLineEdit(labLimitRows);
    edtLimitRows->setObjectName("edtLimitRows");
    edtLimitRows->setInputMask("0000; ");
    labLimitRows->setMinimumHeight(edtLimitRows->sizeHint().height());

    grid->addWidget(Heading("View"));
    grid->addWidget(chkAutoSizeGrid);
    grid->addWidget(chkStayOnTop);
    grid->addWidget(chkCloseToSysTray);
    grid->addWidget(labLimitRows);
    grid->addSpacing(3);
    grid->addWidget(Heading("Listen"));
    grid->addWidget(chkAutoListen);
    grid->addWidget(chkFilterIPFirst);
    for (QCheckBox* indented : {chkListenUnregisteredID, chkListenUnregisteredIP}) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(18, 0, 0, 0);
        row->addWidget(indented);
        grid->addLayout(row);
    }
    grid->addWidget(chkWriteToLog);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addSpacing(2);
    grid->addWidget(rule);
    grid->addSpacing(2);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(0);
    edtLogDir = new QLineEdit;
    edtLogDir->setObjectName("edtLogDir");
    // The drop-down button of the folder field opens the folder chooser.
    QAction* browse =
        edtLogDir->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setObjectName("actChooseLogDir");
    connect(browse, &QAction::triggered, this, [this] {
        if (auto folder = dialogs_.ChooseFolder(this, "Log directory", edtLogDir->text()))
            edtLogDir->setText(*folder);
    });
    edtPort = new QLineEdit;
    edtPort->setObjectName("edtPort");
    edtPort->setFixedWidth(60);
    fields->addWidget(new QLabel(" Log directory path"), 0, 0);
    fields->addWidget(edtLogDir, 0, 1);
    fields->addWidget(new QLabel("UDP-port"), 0, 2);
    fields->addWidget(edtPort, 0, 3);
    fields->setColumnStretch(1, 1);
    grid->addLayout(fields);
    grid->addStretch(1);

    QWidget* order[] = {chkAutoSizeGrid,
                        chkStayOnTop,
                        chkCloseToSysTray,
                        chkAutoListen,
                        chkFilterIPFirst,
                        chkListenUnregisteredID,
                        chkListenUnregisteredIP,
                        chkWriteToLog,
                        edtLogDir,
                        edtPort,
                        edtLimitRows};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    return page;
}

QWidget* TfrmOptions::BuildSetDatePage() {
    auto* page = new QWidget;
    page->setObjectName("tabSetDate");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 4, 8, 4);
    chkUseUserDate = Check("chkUseUserDate", "Set Date for write to log-file Message with it");
    dtpDate = new QCalendarWidget;
    dtpDate->setObjectName("dtpDate");
    dtpDate->setGridVisible(true);
    dtpDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // A click anywhere on the calendar means the operator wants its date.
    for (QWidget* w : dtpDate->findChildren<QWidget*>())
        w->installEventFilter(this);
    dtpDate->installEventFilter(this);
    layout->addWidget(chkUseUserDate);
    layout->addWidget(dtpDate, 1);
    return page;
}

void TfrmOptions::FillControls() {
    const GeneralOptions& g = options_.General;
    edtPort->setText(QString::number(g.Port));
    edtLogDir->setText(DisplayText(g.LogDir));
    chkAutoSizeGrid->setChecked(g.AutoSizeGrid);
    chkStayOnTop->setChecked(g.StayOnTop);
    chkCloseToSysTray->setChecked(g.CloseToSysTray);
    chkAutoListen->setChecked(g.AutoListen);
    chkFilterIPFirst->setChecked(g.FilterIpFirst);
    chkListenUnregisteredID->setChecked(g.ListenUnregisteredID);
    chkListenUnregisteredIP->setChecked(g.ListenUnregisteredIP);
    chkWriteToLog->setChecked(g.WriteToLog);
    chkUseUserDate->setChecked(options_.UseUserDate);
    edtLimitRows->setText(QString::number(g.LimitRows));
    const DateTime& d = options_.UserDate;
    dtpDate->setSelectedDate(QDate(d.year, d.month, d.day));
}

void TfrmOptions::SelectPage(int page) {
    const QSignalBlocker block(tabPage);
    tabPage->setCurrentIndex(page);
}

void TfrmOptions::tabPageChange(int page) {
    labHint->setVisible(page != PageGeneral);
    if (page == PageIdList) grdIDList->setFocus();
    if (page == PageIpList) grdIPList->setFocus();
    if (page == PageTokenList) grdTokenList->setFocus();
}

bool TfrmOptions::TakeNumber(const QLineEdit* field, int low, int high, std::int32_t& out,
                             const QString& rangeText) {
    const std::string text = std::string(Trim(StoredText(field->text())));
    const std::optional<std::int32_t> value = ParseInt32(text);
    if (!value) {
        ShowErrorBox(dialogs_, this, DisplayText(NotAnIntegerMessage(text)));
        return false;
    }
    if (*value < low || *value > high) {
        ShowErrorBox(dialogs_, this, rangeText);
        return false;
    }
    out = *value;
    return true;
}

void TfrmOptions::btnOkClick() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result check = ValidateLists(idGrid_, ipGrid_, tokenGrid_);
    QApplication::restoreOverrideCursor();
    closePermitted_ = check.ok;
    if (!check.ok) {
        dialogs_.ShowMessage(this, kListErrorCaption, DisplayText(check.error), BoxIcon::Error);
        return;
    }
    // The numbers are checked before anything is taken over, so a refusal
    // leaves Options whole and the dialog open with every edit.
    std::int32_t port = 0;
    std::int32_t limit = 0;
    if (!TakeNumber(edtPort, 1, 65535, port, "The UDP port must be a whole number from 1 to 65535") ||
        !TakeNumber(edtLimitRows, 0, 9999, limit,
                    "The row limit must be 0 or a whole number from 3 to 9999")) {
        closePermitted_ = false;
        return;
    }
    if (limit == 1 || limit == 2) {
        ShowErrorBox(dialogs_, this, "The row limit must be 0 or a whole number from 3 to 9999");
        closePermitted_ = false;
        return;
    }

    GeneralOptions& g = options_.General;
    g.StayOnTop = chkStayOnTop->isChecked();
    g.CloseToSysTray = chkCloseToSysTray->isChecked();
    g.AutoListen = chkAutoListen->isChecked();
    g.ListenUnregisteredID = chkListenUnregisteredID->isChecked();
    g.ListenUnregisteredIP = chkListenUnregisteredIP->isChecked();
    g.FilterIpFirst = chkFilterIPFirst->isChecked();
    g.AutoSizeGrid = chkAutoSizeGrid->isChecked();
    g.WriteToLog = chkWriteToLog->isChecked();
    options_.UseUserDate = chkUseUserDate->isChecked();
    if (options_.UseUserDate) {
        const QDate date = dtpDate->selectedDate();
        options_.UserDate.year = date.year();
        options_.UserDate.month = date.month();
        options_.UserDate.day = date.day();
    }
    g.LogDir = std::string(Trim(StoredText(edtLogDir->text())));
    g.Port = port;
    g.LimitRows = limit;

    options_.IdList = TakeIdList(idGrid_);
    if (g.WriteToLog) host_.PrepareDayFilesForced();
    options_.IpList = TakeIpList(ipGrid_);
    options_.TokenList = TakeTokenList(tokenGrid_);
    host_.OptionsTakenOver();
    host_.FillFilterExplorer();
    host_.SetTitle();
    accept();
}

void TfrmOptions::btnCancelClick() {
    closePermitted_ = true;
    QDialog::reject();
}

// Esc is Cancel.
void TfrmOptions::reject() {
    btnCancelClick();
}

void TfrmOptions::closeEvent(QCloseEvent* event) {
    if (closePermitted_)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == dtpDate || dtpDate->isAncestorOf(qobject_cast<QWidget*>(watched))))
        chkUseUserDate->setChecked(true);
    if (event->type() == QEvent::FocusOut && watched == edtIDNumber)
        QTimer::singleShot(0, this, [this] { edtIDNumberExit(); });
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    int page = -1;
    if (watched == btnOk || watched == btnCancel) {
        page = tabPage->currentIndex(); // the list being shown, if any
    } else if (watched == grdIDList || watched == edtIDName || watched == edtIDNumber ||
               watched == edtIDToken || watched == chkIDListen || watched == chkIDPopup ||
               watched == chkIDToken) {
        page = PageIdList;
    } else if (watched == grdIPList || watched == edtIPName || watched == edtIPAddress ||
               watched == chkIPListen) {
        page = PageIpList;
    } else if (watched == grdTokenList || watched == edtToken || watched == chkUseToken ||
               watched == chkTokenPopup) {
        page = PageTokenList;
    }
    if (page < PageIdList || page > PageTokenList) return QDialog::eventFilter(watched, event);
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
        LoadEditPanel(page == PageIdList ? Lists::Id : page == PageIpList ? Lists::Ip : Lists::Token);
        return QDialog::eventFilter(watched, event);
    }
    if (ListKey(page, key)) return true;
    return QDialog::eventFilter(watched, event);
}

bool TfrmOptions::ListKey(int page, QKeyEvent* key) {
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key->key() == Qt::Key_Insert) {
        if (page == PageIdList) btnIDAddClick();
        if (page == PageIpList) btnIPAddClick();
        if (page == PageTokenList) btnTokenAddClick();
        return true;
    }
    if (key->key() == Qt::Key_Delete && mods == Qt::ControlModifier) {
        if (page == PageIdList) btnIDDeleteClick();
        if (page == PageIpList) btnIPDeleteClick();
        if (page == PageTokenList) btnTokenDeleteClick();
        return true;
    }
    return false;
}

} // namespace qm
