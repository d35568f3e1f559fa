#include "settings/ui/IdListPage.h"

#include "platform/qt/BgrColour.h"
#include "platform/qt/DisplayText.h"
#include "settings/SyslogNames.h"
#include "settings/unitAdd_Ins.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace qm {

namespace {

QIcon PresetIcon(const QColor& c) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::gray);
    p.setBrush(c);
    p.drawRect(2, 2, 11, 11);
    return QIcon(pixmap);
}

} // namespace

IdListPage::IdListPage(DialogService& dialogs)
    : ListPage("tabIDList", "pnlIDEdit", "grdIDList", 52, 52,
               {"ID name", "ID No", "ID listen", "Token", "Color", "UseToken", "Popup"},
               {"Delete ID", "Do you want to delete this ID Listen Number entire?"}, dialogs) {
    BuildPanel();
    BuildPresetMenu();
    View()->setItemDelegateForColumn(IdColor, new ColourSwatchDelegate(IdColor, View()));
    connect(View(), &QTableView::doubleClicked, this, &IdListPage::btnChooseColorClick);
    EditsColumn(edtIDName, IdName);
    EditsColumn(edtIDNumber, IdNo);
    EditsColumn(edtIDToken, IdToken);
    FlagsColumn(chkIDListen, IdListen);
    FlagsColumn(chkIDToken, IdUseToken);
    FlagsColumn(chkIDPopup, IdPopup);
    connect(btnIDAdd, &QPushButton::clicked, this, &IdListPage::AddRow);
    connect(btnIDDelete, &QPushButton::clicked, this, &ListPage::DeleteRow);
    connect(btnChooseColor, &QToolButton::clicked, this, &IdListPage::btnChooseColorClick);
    WatchKeys({edtIDName, edtIDNumber, edtIDToken, chkIDListen, chkIDPopup, chkIDToken});
}

bool IdListPage::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the number field may ask about the standard levels, once the
    // focus has settled where it went.
    if (watched == edtIDNumber && event->type() == QEvent::FocusOut)
        QTimer::singleShot(0, this, &IdListPage::edtIDNumberExit);
    return ListPage::eventFilter(watched, event);
}

void IdListPage::BuildPanel() {
    auto* g = new QGridLayout(Panel());
    g->setContentsMargins(2, 0, 2, 0);
    g->setVerticalSpacing(1);
    edtIDName = MakeEdit("edtIDName");
    edtIDNumber = MakeEdit("edtIDNumber");
    edtIDNumber->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), edtIDNumber));
    edtIDNumber->setAlignment(Qt::AlignRight);
    edtIDNumber->setFixedWidth(40);
    chkIDToken = MakeCheck("chkIDToken", "Colored by finded token");
    edtIDToken = MakeEdit("edtIDToken");
    edtIDToken->setFixedWidth(96);
    shpColor = MakeSwatch("shpColor");
    btnChooseColor = MakeColourButton("btnChooseColor");
    chkIDListen = MakeCheck("chkIDListen", "ID listen");
    chkIDPopup = MakeCheck("chkIDPopup", "PopUp");
    btnIDAdd = MakeRowButton("btnIDAdd", "+");
    btnIDDelete = MakeRowButton("btnIDDelete", "-");
    auto* tokenGroup = new QFrame;
    tokenGroup->setFrameShape(QFrame::StyledPanel);
    auto* tg = new QGridLayout(tokenGroup);
    tg->setContentsMargins(2, 1, 2, 1);
    tg->setHorizontalSpacing(2);
    tg->setVerticalSpacing(0);
    tg->addWidget(chkIDToken, 0, 0, 1, 3);
    tg->addWidget(edtIDToken, 1, 0);
    tg->addWidget(shpColor, 1, 1);
    tg->addWidget(btnChooseColor, 1, 2);
    g->setHorizontalSpacing(3);
    g->addWidget(new QLabel("ID name"), 0, 0);
    g->addWidget(edtIDName, 0, 1);
    g->addWidget(new QLabel("ID No"), 1, 0);
    auto* numberRow = new QHBoxLayout;
    numberRow->setSpacing(2);
    numberRow->addWidget(edtIDNumber);
    numberRow->addWidget(chkIDListen);
    numberRow->addWidget(chkIDPopup);
    numberRow->addStretch(1);
    g->addLayout(numberRow, 1, 1);
    g->addWidget(tokenGroup, 0, 2, 2, 1);
    g->addWidget(btnIDAdd, 0, 3);
    g->addWidget(btnIDDelete, 1, 3);
    g->setColumnStretch(1, 1);
}

void IdListPage::BuildPresetMenu() {
    popIDAdd = new QMenu(this);
    popIDAdd->setObjectName("popIDAdd");
    static const char* const kCaptions[8] = {"Add standart RFC Gravity Level (0 - EMERG, old PANIC)",
                                             "Add standart RFC Gravity Level (1 - ALERT)",
                                             "Add standart RFC Gravity Level (2 - CRIT)",
                                             "Add standart RFC Gravity Level (3 - ERR)",
                                             "Add standart RFC Gravity Level (4 - WARNING)",
                                             "Add standart RFC Gravity Level (5 - NOTICE)",
                                             "Add standart RFC Gravity Level (6 - INFO)",
                                             "Add standart RFC Gravity Level (7 - DEBUG)"};
    for (int level = 0; level < 8; ++level) {
        QAction* item = popIDAdd->addAction(PresetIcon(ColourFromBgr(*ParseColour(kSeverityColours[level]))),
                                            QString::fromLatin1(kCaptions[level]));
        item->setObjectName(QString("pop%1").arg(level));
        connect(item, &QAction::triggered, this, [this, level] { AddSeverityPreset(level); });
    }
    popIDAdd->addSeparator();
    QAction* all =
        popIDAdd->addAction(PresetIcon(Qt::gray), "Add all standart RFC Gravity Level (0...7 - LEVEL)");
    all->setObjectName("popAll");
    connect(all, &QAction::triggered, this, [this] { AddSeverityPreset(-1); });
    popIDAdd->addSeparator();
    QAction* user = popIDAdd->addAction(PresetIcon(Qt::white), "Add ID for especially listen (0...191 - USER)");
    user->setObjectName("pop8");
    connect(user, &QAction::triggered, this, &IdListPage::pop8Click);
}

void IdListPage::FillListGrid(const std::vector<IdEntry>& entries, int current) {
    ListPage::FillListGrid(IdGridFrom(entries), current);
}

void IdListPage::LoadEditPanel() {
    loading_ = true;
    const ListGrid& g = Grid();
    const int r = g.Current();
    edtIDName->setText(DisplayText(g.Cell(r, IdName)));
    edtIDNumber->setText(DisplayText(g.Cell(r, IdNo)));
    chkIDListen->setChecked(IsSet(g.Cell(r, IdListen)));
    edtIDToken->setText(DisplayText(g.Cell(r, IdToken)));
    chkIDToken->setChecked(IsSet(g.Cell(r, IdUseToken)));
    chkIDPopup->setChecked(IsSet(g.Cell(r, IdPopup)));
    btnIDDelete->setEnabled(true);
    // A colour that is not a number leaves the swatch as it was.
    if (const auto colour = ParseColour(g.Trimmed(r, IdColor))) swatch_ = ColourFromBgr(*colour);
    PaintSwatch(shpColor, swatch_);
    loading_ = false;
}

void IdListPage::AddRow() {
    popIDAdd->popup(mapToGlobal(QPoint(50, 50)));
}

void IdListPage::AddSeverityPreset(int level) {
    for (int l = level < 0 ? 0 : level; l <= (level < 0 ? 7 : level); ++l)
        qm::AddSeverityPreset(Grid(), l);
    Reload();
    LoadEditPanel();
}

void IdListPage::pop8Click() {
    if (!AddIdRow(Grid())) return;
    Reload();
    LoadEditPanel();
    edtIDName->setFocus();
}

void IdListPage::btnChooseColorClick() {
    if (const std::optional<QColor> chosen = ChooseColour(IdColor, swatch_)) {
        swatch_ = *chosen;
        PaintSwatch(shpColor, swatch_);
    }
}

void IdListPage::edtIDNumberExit() {
    if (asking_) return;
    const std::string number(Trim(StoredText(edtIDNumber->text())));
    if (number.empty()) return;
    const std::optional<std::int32_t> n = ParseInt32(number);
    if (!n || *n < 0 || *n > 7) return;
    const char* standard = SeverityNames[static_cast<std::size_t>(*n)];
    if (std::string(Trim(StoredText(edtIDName->text()))) == standard) return;
    asking_ = true;
    const bool yes = Dialogs().AskYesNo(
        this, "Input standart RFC value",
        "You enter standart RFC gravity level and will be get default vaule. Do you want to continue?",
        BoxIcon::Warning);
    if (yes) {
        edtIDName->setText(standard);
    } else {
        edtIDNumber->clear();
        edtIDNumber->setFocus();
    }
    asking_ = false;
}

void IdListPage::AddRowHolding(const std::string& value) {
    // A row without a name is dropped at OK: the number names it until the
    // operator gives it another.
    qm::AddRowHolding(Grid(), AddIdRow, IdNo, value);
    Grid().SetCell(Grid().Current(), IdName, value);
    Reload();
    LoadEditPanel();
    edtIDName->setFocus();
    edtIDName->selectAll();
}

} // namespace qm
