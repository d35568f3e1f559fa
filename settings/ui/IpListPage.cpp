#include "settings/ui/IpListPage.h"

#include <algorithm>

#include "platform/qt/DisplayText.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

namespace {
constexpr const char* kDottedMask = "000.000.000.000; ";
} // namespace

IpListPage::IpListPage(DialogService& dialogs)
    : ListPage("tabIPList", "pnlIPEdit", "grdIPList", 52, 120, {"IP Name", "IP Address", "IP Listen"},
               {"Delete IP address", "Do you want to delete this IP Listen Address entire?"}, dialogs) {
    auto* g = new QGridLayout(Panel());
    g->setContentsMargins(2, 0, 2, 0);
    g->setVerticalSpacing(1);
    edtIPName = MakeEdit("edtIPName");
    edtIPAddress = MakeEdit("edtIPAddress");
    // Four groups of up to three digits; unfilled positions are blanks.
    edtIPAddress->setInputMask(kDottedMask);
    edtIPAddress->setFixedWidth(110);
    chkIPListen = MakeCheck("chkIPListen", "IP listen");
    btnIPAdd = MakeRowButton("btnIPAdd", "+");
    btnIPDelete = MakeRowButton("btnIPDelete", "-");
    g->addWidget(new QLabel("IP name"), 0, 0);
    g->addWidget(edtIPName, 0, 1);
    g->addWidget(new QLabel("IP address"), 1, 0);
    auto* row = new QHBoxLayout;
    row->addWidget(edtIPAddress);
    row->addWidget(chkIPListen);
    row->addStretch(1);
    g->addLayout(row, 1, 1);
    g->addWidget(btnIPAdd, 0, 2);
    g->addWidget(btnIPDelete, 1, 2);
    g->setColumnStretch(1, 1);

    EditsColumn(edtIPName, IpName);
    // The address field rewrites what it is given into its mask; only typing
    // goes into the row, so a stored address opens and saves unchanged.
    connect(edtIPAddress, &QLineEdit::textEdited, this, [this](const QString& t) {
        WriteCell(IpAddress, t);
        // The field emptied: a dotted address may come again.
        if (edtIPAddress->inputMask().isEmpty() && t.isEmpty()) MaskFor(t);
    });
    edtIPAddress->installEventFilter(this);
    FlagsColumn(chkIPListen, IpListen);
    connect(btnIPAdd, &QPushButton::clicked, this, &IpListPage::AddRow);
    connect(btnIPDelete, &QPushButton::clicked, this, &ListPage::DeleteRow);
    WatchKeys({edtIPName, edtIPAddress, chkIPListen});
}

void IpListPage::FillListGrid(const std::vector<IpEntry>& entries, int current) {
    ListPage::FillListGrid(IpGridFrom(entries), current);
}

void IpListPage::LoadEditPanel() {
    loading_ = true;
    const int r = Grid().Current();
    edtIPName->setText(DisplayText(Grid().Cell(r, IpName)));
    MaskFor(DisplayText(Grid().Cell(r, IpAddress)));
    edtIPAddress->setText(DisplayText(Grid().Cell(r, IpAddress)));
    chkIPListen->setChecked(IsSet(Grid().Cell(r, IpListen)));
    btnIPDelete->setEnabled(true);
    loading_ = false;
}

void IpListPage::MaskFor(const QString& address) {
    const bool dotted = !address.contains(QLatin1Char(':'));
    if (dotted == !edtIPAddress->inputMask().isEmpty()) return;
    edtIPAddress->setInputMask(dotted ? QString::fromLatin1(kDottedMask) : QString());
}

bool IpListPage::eventFilter(QObject* watched, QEvent* event) {
    // The mask takes digits only. Anything else typed or pasted (the ':' or
    // a hex letter that starts an IPv6 address, or a slip of the finger)
    // lifts it, keeping the digits typed so far: nothing typed is dropped,
    // and OK refuses what is no address, with the reason.
    if (watched == edtIPAddress && event->type() == QEvent::KeyPress && !edtIPAddress->inputMask().isEmpty()) {
        auto* key = static_cast<QKeyEvent*>(event);
        QString added = key->text();
        if (key->matches(QKeySequence::Paste)) added = QGuiApplication::clipboard()->text().trimmed();
        const bool beyondMask = std::any_of(added.begin(), added.end(), [](QChar c) {
            return c.isPrint() && !c.isSpace() && !c.isDigit() && c != QLatin1Char('.');
        });
        if (beyondMask) {
            QString typed = edtIPAddress->text();
            typed.remove(QLatin1Char(' ')).remove(QLatin1Char('.'));
            edtIPAddress->setInputMask(QString());
            edtIPAddress->setText(typed + added);
            WriteCell(IpAddress, edtIPAddress->text());
            return true;
        }
    }
    return ListPage::eventFilter(watched, event);
}

void IpListPage::AddRow() {
    AddRowFocusing(AddKeyedRow, edtIPName);
}

void IpListPage::AddRowHolding(const std::string& value) {
    // A row without a name is dropped at OK: the address names it until the
    // operator gives it another.
    qm::AddRowHolding(Grid(), AddKeyedRow, IpAddress, value);
    Grid().SetCell(Grid().Current(), IpName, value);
    Reload();
    LoadEditPanel();
    edtIPName->setFocus();
    edtIPName->selectAll();
}

} // namespace qm
