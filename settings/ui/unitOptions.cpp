#include "settings/ui/unitOptions_Ui.h"

#include "platform/qt/DisplayText.h"
#include "platform/qt/ScreenFit.h"
#include "settings/OptionsLists.h"
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
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm {

TfrmOptions::TfrmOptions(const Options& options, int idRow, int ipRow, DialogService& dialogs,
                         PortBinder bindPort, QWidget* parent)
    : QDialog(parent), options_(options), dialogs_(dialogs), bindPort_(std::move(bindPort)),
      ui(std::make_unique<Ui>()) {
    setObjectName("frmOptions");
    setWindowTitle("  Options");
    // A fixed dialog border with no buttons in its caption bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setFixedSize(434, 298);
    setFont(WindowFont());

    ui->idPage = new IdListPage(dialogs_);
    ui->ipPage = new IpListPage(dialogs_);
    ui->tokenPage = new TokenListPage(dialogs_);
    ui->tabPage = new QTabWidget(this);
    ui->tabPage->setObjectName("tabPage");
    ui->tabPage->setUsesScrollButtons(false);
    ui->tabPage->addTab(BuildGeneralPage(), "General ");
    ui->tabPage->addTab(ui->idPage, "ID/Rfc Listing ");
    ui->tabPage->addTab(ui->ipPage, "IP Listing ");
    ui->tabPage->addTab(ui->tokenPage, "Token Listing");
    ui->tabPage->addTab(BuildSetDatePage(), "Set Date");
    ui->tabPage->addTab(BuildNetworkPage(), "Network");

    // The row limit field fills the gap of blanks in its label, measured in
    // the font the label has now that it sits in the dialog.
    const QFontMetrics metrics = ui->labLimitRows->fontMetrics();
    const QString caption = QString::fromLatin1(kLimitCaption);
    const int left = metrics.horizontalAdvance(QString::fromLatin1(kLimitLead));
    const int right = metrics.horizontalAdvance(caption.left(caption.indexOf(QLatin1Char('('))));
    ui->edtLimitRows->setFixedWidth(std::max(30, right - left - 3)); // clear of the "("
    ui->edtLimitRows->move(left,
                           (ui->labLimitRows->minimumHeight() - ui->edtLimitRows->sizeHint().height()) / 2);

    auto* pnlModal = new QWidget(this);
    pnlModal->setObjectName("pnlModal");
    auto* bottom = new QHBoxLayout(pnlModal);
    bottom->setContentsMargins(4, 0, 4, 2);
    ui->labHint = new QLabel("Ins - Add position, Ctrl+Del - Delete position");
    ui->labHint->setObjectName("labHint");
    QPalette hintPalette = ui->labHint->palette();
    hintPalette.setColor(QPalette::WindowText, QColor(0x80, 0, 0)); // maroon
    ui->labHint->setPalette(hintPalette);
    ui->labHint->hide();
    ui->btnOk = new QPushButton(QString::fromUtf8("\u041E\u041A")); // Cyrillic, looks like OK
    ui->btnOk->setObjectName("btnOk");
    ui->btnOk->setDefault(true);
    ui->btnCancel = new QPushButton("Cancel");
    ui->btnCancel->setObjectName("btnCancel");
    // A focused button answers Enter itself; OK answers it everywhere else.
    ui->btnCancel->setAutoDefault(true);
    for (QPushButton* b : {ui->btnOk, ui->btnCancel})
        b->setFixedSize(75, 23);
    bottom->addWidget(ui->labHint);
    bottom->addStretch(1);
    bottom->addWidget(ui->btnOk);
    bottom->addWidget(ui->btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 2);
    layout->setSpacing(2);
    layout->addWidget(ui->tabPage, 1);
    layout->addWidget(pnlModal);
    // Five pages' tabs fit the dialog's width; with the Network page it grows
    // as wide as its tabs need, so that every page can be clicked.
    const QMargins margins = layout->contentsMargins();
    setFixedSize(std::max(width(), ui->tabPage->minimumSizeHint().width() + margins.left() + margins.right()),
                 height());

    connect(ui->btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TfrmOptions::btnCancelClick);
    // Every page change but SelectPage's is the operator's: a click, Ctrl+Tab,
    // Ctrl+PgDn/PgUp, the arrow keys on the tab bar.
    connect(ui->tabPage, &QTabWidget::currentChanged, this, &TfrmOptions::tabPageChange);
    // The page keys answer wherever the focus is, as they do in a Windows
    // dialog; the tab widget alone hears them only when no child takes them.
    for (auto [keys, step] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                              std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                              std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                              std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                              std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] {
            const int count = ui->tabPage->count();
            ui->tabPage->setCurrentIndex((ui->tabPage->currentIndex() + step + count) % count);
        });
    }
    // Ins and Ctrl+Del on OK and Cancel act on the list shown.
    for (QPushButton* b : {ui->btnOk, ui->btnCancel})
        b->installEventFilter(this);
    for (ListPage* page : {static_cast<ListPage*>(ui->idPage), static_cast<ListPage*>(ui->ipPage),
                           static_cast<ListPage*>(ui->tokenPage)})
        connect(page, &ListPage::ColourDialogClosed, this, &TfrmOptions::ColourDialogClosed);

    ui->idPage->FillListGrid(options_.IdList, idRow);
    ui->ipPage->FillListGrid(options_.IpList, ipRow);
    ui->tokenPage->FillListGrid(options_.TokenList);
    for (ListPage* page : {static_cast<ListPage*>(ui->idPage), static_cast<ListPage*>(ui->ipPage),
                           static_cast<ListPage*>(ui->tokenPage)})
        page->LoadEditPanel();
    FillControls();
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::FillControls() {
    const GeneralOptions& g = options_.General;
    ui->edtPort->setText(QString::number(g.Port));
    ui->edtLogDir->setText(DisplayText(g.LogDir));
    ui->chkAutoSizeGrid->setChecked(g.AutoSizeGrid);
    ui->chkStayOnTop->setChecked(g.StayOnTop);
    ui->chkCloseToSysTray->setChecked(g.CloseToSysTray);
    ui->chkAutoListen->setChecked(g.AutoListen);
    ui->chkFilterIPFirst->setChecked(g.FilterIpFirst);
    ui->chkListenUnregisteredID->setChecked(g.ListenUnregisteredID);
    ui->chkListenUnregisteredIP->setChecked(g.ListenUnregisteredIP);
    ui->chkWriteToLog->setChecked(g.WriteToLog);
    ui->chkUseUserDate->setChecked(options_.UseUserDate);
    // Four optional digits; a stored number the mask cannot hold (an import
    // can store any) shows whole, so that OK refuses it where the operator
    // sees why instead of saving a cut-down number.
    if (g.LimitRows >= 0 && g.LimitRows <= 9999) ui->edtLimitRows->setInputMask("0000; ");
    ui->edtLimitRows->setText(QString::number(g.LimitRows));
    const DateTime& d = options_.UserDate;
    ui->dtpDate->setSelectedDate(QDate(d.year, d.month, d.day));
    const NetworkOptions& n = options_.Network;
    ui->chkTcp->setChecked(n.TcpPort > 0);
    ui->edtTcpPort->setText(n.TcpPort > 0 ? QString::number(n.TcpPort) : QString());
    ui->edtTcpPort->setEnabled(n.TcpPort > 0);
    ui->chkIPv6->setChecked(n.IPv6);
}

void TfrmOptions::SelectPage(Page page) {
    const QSignalBlocker block(ui->tabPage);
    ui->tabPage->setCurrentIndex(page);
}

void TfrmOptions::AddRowHolding(Page page, const std::string& value) {
    SelectPage(page);
    if (page == PageIdList) ui->idPage->AddRowHolding(value);
    if (page == PageIpList) ui->ipPage->AddRowHolding(value);
}

void TfrmOptions::tabPageChange(int page) {
    ui->labHint->setVisible(page != PageGeneral && page != PageNetwork);
    if (ListPage* list = ui->CurrentList()) list->Entered();
}

bool TfrmOptions::TakeNumber(const QString& field, int low, int high, std::int32_t& out,
                             const QString& rangeText) {
    const std::string text(Trim(StoredText(field)));
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

// Every check before anything is taken over, so that a refusal leaves the
// dialog open with every edit in place.
bool TfrmOptions::TakeOver() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result lists = ValidateLists(ui->idPage->Grid(), ui->ipPage->Grid(), ui->tokenPage->Grid());
    QApplication::restoreOverrideCursor();
    if (!lists) {
        dialogs_.ShowMessage(this, kListErrorCaption, DisplayText(lists.error), BoxIcon::Error);
        return false;
    }
    std::int32_t port = 0;
    std::int32_t limit = 0;
    if (!TakeNumber(ui->edtPort->text(), 1, 65535, port, kPortRange) ||
        !TakeNumber(ui->edtLimitRows->text(), 0, 9999, limit, kLimitRange))
        return false;
    if (limit == 1 || limit == 2) {
        ShowErrorBox(dialogs_, this, kLimitRange);
        return false;
    }
    NetworkOptions network;
    network.IPv6 = ui->chkIPv6->isChecked();
    if (ui->chkTcp->isChecked() && !TakeNumber(ui->edtTcpPort->text(), 1, 65535, network.TcpPort, kTcpPortRange))
        return false;
    // The title never names a port that is not listened on: a changed port
    // (or IPv6 choice) is bound now, and a refusal keeps the old ones.
    if ((port != options_.General.Port || network != options_.Network) && bindPort_) {
        if (const Result bound = bindPort_(port, network); !bound) {
            ShowErrorBox(dialogs_, this, DisplayText(bound.error));
            return false;
        }
    }

    OptionsEdit& e = edit_;
    e.General = options_.General;
    e.Network = network;
    GeneralOptions& g = e.General;
    g.StayOnTop = ui->chkStayOnTop->isChecked();
    g.CloseToSysTray = ui->chkCloseToSysTray->isChecked();
    g.AutoListen = ui->chkAutoListen->isChecked();
    g.ListenUnregisteredID = ui->chkListenUnregisteredID->isChecked();
    g.ListenUnregisteredIP = ui->chkListenUnregisteredIP->isChecked();
    g.FilterIpFirst = ui->chkFilterIPFirst->isChecked();
    g.AutoSizeGrid = ui->chkAutoSizeGrid->isChecked();
    g.WriteToLog = ui->chkWriteToLog->isChecked();
    e.UseUserDate = ui->chkUseUserDate->isChecked();
    e.UserDate = options_.UserDate;
    if (e.UseUserDate) {
        const QDate date = ui->dtpDate->selectedDate();
        e.UserDate.year = date.year();
        e.UserDate.month = date.month();
        e.UserDate.day = date.day();
    }
    g.LogDir = std::string(Trim(StoredText(ui->edtLogDir->text())));
    g.Port = port;
    g.LimitRows = limit;
    e.IdList = TakeIdList(ui->idPage->Grid());
    e.IpList = TakeIpList(ui->ipPage->Grid());
    e.TokenList = TakeTokenList(ui->tokenPage->Grid());
    return true;
}

void TfrmOptions::btnOkClick() {
    closePermitted_ = TakeOver();
    if (closePermitted_) accept();
}

void TfrmOptions::btnCancelClick() {
    closePermitted_ = true;
    QDialog::reject();
}

// Esc is Cancel.
void TfrmOptions::reject() {
    btnCancelClick();
}

void TfrmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitOnScreen(this);
    // Opened from a window other than its parent (Reception statistics'
    // "Add to list..."), it would open behind that window's activation and
    // the operator's first key would only activate it.
    activateWindow();
    raise();
}

void TfrmOptions::closeEvent(QCloseEvent* event) {
    if (closePermitted_)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::MouseButtonPress && (watched == ui->dtpDate || ui->dtpDate->isAncestorOf(widget)))
        ui->chkUseUserDate->setChecked(true);
    if (event->type() == QEvent::KeyPress && (watched == ui->btnOk || watched == ui->btnCancel)) {
        if (ListPage* list = ui->CurrentList(); list && list->HandleKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qm
