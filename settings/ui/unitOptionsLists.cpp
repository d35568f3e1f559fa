// The options dialog's three list pages: a read-only grid as the working
// copy and an edit panel that edits its current row in place.
#include "settings/ui/unitOptions.h"
#include "platform/qt/DisplayText.h"

#include "settings/SyslogNames.h"
#include "settings/unitAdd_Ins.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

QLineEdit* Edit(const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QCheckBox* Check(const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromLatin1(caption));
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QPushButton* SmallButton(const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption));
    b->setObjectName(QString::fromLatin1(name));
    b->setFixedSize(22, 22);
    b->setAutoDefault(false);
    return b;
}

QFrame* Swatch(const char* name) {
    auto* f = new QFrame;
    f->setObjectName(QString::fromLatin1(name));
    f->setFixedSize(20, 20);
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    f->setStyleSheet("QFrame { border: 1px solid grey; }");
    return f;
}

QToolButton* ColourButton(const char* name) {
    auto* b = new QToolButton;
    b->setObjectName(QString::fromLatin1(name));
    b->setText("...");
    b->setToolTip("Choose color");
    b->setAutoRaise(true);
    b->setFixedSize(20, 20);
    return b;
}

QTableView* Grid(const char* name, ListGridModel* model, int columnWidth) {
    auto* view = new QTableView;
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(17);
    view->horizontalHeader()->setDefaultSectionSize(columnWidth);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, Qt::white);
    view->setPalette(palette);
    return view;
}

QLabel* CaptionStrip(const char* name, const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setObjectName(QString::fromLatin1(name));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Raised);
    return label;
}

// The list-page pattern: an edit panel of a fixed height above the caption
// strip and the grid.
struct ListPage {
    QWidget* page;
    QWidget* panel;
};

ListPage MakeListPage(const char* pageName, const char* panelName, int panelHeight) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(pageName));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    auto* panel = new QWidget;
    panel->setObjectName(QString::fromLatin1(panelName));
    panel->setFixedHeight(panelHeight);
    layout->addWidget(panel);
    return {page, panel};
}

QWidget* FinishListPage(const ListPage& p, const char* captionName, const char* caption, QTableView* grid) {
    auto* layout = static_cast<QVBoxLayout*>(p.page->layout());
    layout->addWidget(CaptionStrip(captionName, caption));
    layout->addWidget(grid, 1);
    return p.page;
}

QIcon ColourIcon(const QColor& c) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::gray);
    p.setBrush(c);
    p.drawRect(2, 2, 11, 11);
    return QIcon(pixmap);
}

QColor FromBgr(std::int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
std::int32_t ToBgr(const QColor& c) {
    return c.red() | c.green() << 8 | c.blue() << 16;
}

std::optional<std::int32_t> CellColour(const ListGrid& grid, int row, int column) {
    return ParseInt32(grid.Trimmed(row, column));
}

} // namespace

QWidget* TfrmOptions::BuildIdPage() {
    idModel_ = new ListGridModel(idGrid_, this);
    const ListPage p = MakeListPage("tabIDList", "pnlIDEdit", 52);
    auto* g = new QGridLayout(p.panel);
    g->setContentsMargins(2, 0, 2, 0);
    g->setVerticalSpacing(1);
    edtIDName = Edit("edtIDName");
    edtIDNumber = Edit("edtIDNumber");
    edtIDNumber->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), edtIDNumber));
    edtIDNumber->setAlignment(Qt::AlignRight);
    edtIDNumber->setFixedWidth(40);
    chkIDToken = Check("chkIDToken", "Colored by finded token");
    edtIDToken = Edit("edtIDToken");
    edtIDToken->setFixedWidth(96);
    shpColor = Swatch("shpColor");
    btnChooseColor = ColourButton("btnChooseColor");
    chkIDListen = Check("chkIDListen", "ID listen");
    chkIDPopup = Check("chkIDPopup", "PopUp");
    btnIDAdd = SmallButton("btnIDAdd", "+");
    btnIDDelete = SmallButton("btnIDDelete", "-");
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

    popIDAdd = new QMenu(this);
    popIDAdd->setObjectName("popIDAdd");
    const char* captions[8] = {"Add standart RFC Gravity Level (0 - EMERG, old PANIC)",
                               "Add standart RFC Gravity Level (1 - ALERT)",
                               "Add standart RFC Gravity Level (2 - CRIT)",
                               "Add standart RFC Gravity Level (3 - ERR)",
                               "Add standart RFC Gravity Level (4 - WARNING)",
                               "Add standart RFC Gravity Level (5 - NOTICE)",
                               "Add standart RFC Gravity Level (6 - INFO)",
                               "Add standart RFC Gravity Level (7 - DEBUG)"};
    for (int level = 0; level < 8; ++level) {
        QAction* item = popIDAdd->addAction(ColourIcon(FromBgr(*ParseInt32(kSeverityColours[level]))),
                                            QString::fromLatin1(captions[level]));
        item->setObjectName(QString("pop%1").arg(level));
        connect(item, &QAction::triggered, this, [this, level] { AddSeverityPreset(level); });
    }
    popIDAdd->addSeparator();
    QAction* all =
        popIDAdd->addAction(ColourIcon(Qt::gray), "Add all standart RFC Gravity Level (0...7 - LEVEL)");
    all->setObjectName("popAll");
    connect(all, &QAction::triggered, this, [this] { AddSeverityPreset(-1); });
    popIDAdd->addSeparator();
    QAction* user =
        popIDAdd->addAction(ColourIcon(Qt::white), "Add ID for especially listen (0...191 - USER)");
    user->setObjectName("pop8");
    connect(user, &QAction::triggered, this, &TfrmOptions::pop8Click);

    grdIDList = Grid("grdIDList", idModel_, 52);
    grdIDList->setItemDelegateForColumn(IdColor, new ColourSwatchDelegate(IdColor, grdIDList));
    return FinishListPage(p, "pnlIDTitle",
                          "  ID name    ID No        ID listen     Token       Color         UseToken  Popup",
                          grdIDList);
}

QWidget* TfrmOptions::BuildIpPage() {
    ipModel_ = new ListGridModel(ipGrid_, this);
    const ListPage p = MakeListPage("tabIPList", "pnlIPEdit", 52);
    auto* g = new QGridLayout(p.panel);
    g->setContentsMargins(2, 0, 2, 0);
    g->setVerticalSpacing(1);
    edtIPName = Edit("edtIPName");
    edtIPAddress = Edit("edtIPAddress");
    // Four groups of up to three digits; unfilled positions are blanks.
    edtIPAddress->setInputMask("000.000.000.000; ");
    edtIPAddress->setFixedWidth(110);
    chkIPListen = Check("chkIPListen", "IP listen");
    btnIPAdd = SmallButton("btnIPAdd", "+");
    btnIPDelete = SmallButton("btnIPDelete", "-");
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
    grdIPList = Grid("grdIPList", ipModel_, 120);
    return FinishListPage(p, "pnlIPTitle",
                          "   IP Name                        IP Address                        IP Listen",
                          grdIPList);
}

QWidget* TfrmOptions::BuildTokenPage() {
    tokenModel_ = new ListGridModel(tokenGrid_, this);
    const ListPage p = MakeListPage("tabTokenList", "pnlTokenEdit", 37);
    auto* row = new QHBoxLayout(p.panel);
    row->setContentsMargins(2, 0, 2, 0);
    edtToken = Edit("edtToken");
    shpTokenColor = Swatch("shpTokenColor");
    btnTokenColor = ColourButton("btnTokenColor");
    chkUseToken = Check("chkUseToken", "Look for Token");
    chkTokenPopup = Check("chkTokenPopup", "PopUp");
    auto* btnTopDown = new QWidget;
    btnTopDown->setObjectName("btnTopDown");
    auto* spin = new QVBoxLayout(btnTopDown);
    spin->setContentsMargins(0, 0, 0, 0);
    spin->setSpacing(0);
    btnTopDownTop = new QToolButton;
    btnTopDownTop->setObjectName("btnTopDownTop");
    btnTopDownTop->setArrowType(Qt::UpArrow);
    btnTopDownBottom = new QToolButton;
    btnTopDownBottom->setObjectName("btnTopDownBottom");
    btnTopDownBottom->setArrowType(Qt::DownArrow);
    for (QToolButton* half : {btnTopDownTop, btnTopDownBottom}) {
        half->setFixedSize(18, 14);
        spin->addWidget(half);
    }
    btnTokenAdd = SmallButton("btnTokenAdd", "+");
    btnTokenDelete = SmallButton("btnTokenDelete", "-");
    row->addWidget(new QLabel("Token"));
    row->addWidget(edtToken, 1);
    row->addWidget(shpTokenColor);
    row->addWidget(btnTokenColor);
    row->addWidget(chkUseToken);
    row->addWidget(chkTokenPopup);
    row->addWidget(btnTopDown);
    row->addWidget(btnTokenAdd);
    row->addWidget(btnTokenDelete);
    grdTokenList = Grid("grdTokenList", tokenModel_, 91);
    grdTokenList->setItemDelegateForColumn(TkColor, new ColourSwatchDelegate(TkColor, grdTokenList));
    FinishListPage(p, "pnlTokenTitle",
                   " Token                    Use Token              Color                      PopUp",
                   grdTokenList);

    tmrTokenRepeat = new QTimer(this);
    tmrTokenRepeat->setObjectName("tmrTokenRepeat");
    connect(tmrTokenRepeat, &QTimer::timeout, this, &TfrmOptions::TokenRepeatTick);
    return p.page;
}

void TfrmOptions::ConnectListPages() {
    // The panel follows the grid's current row, however it changes.
    const auto follow = [this](QTableView* view, ListGridModel* model, Lists which) {
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, model, which](const QModelIndex& current) {
                    if (!current.isValid() || loading_) return;
                    model->Grid().SetCurrent(current.row());
                    LoadEditPanel(which);
                });
    };
    follow(grdIDList, idModel_, Lists::Id);
    follow(grdIPList, ipModel_, Lists::Ip);
    follow(grdTokenList, tokenModel_, Lists::Token);

    // Text goes into the current row as it changes; loading a row writes nothing.
    const auto text = [this](QLineEdit* edit, ListGridModel* model, int column) {
        connect(edit, &QLineEdit::textChanged, this,
                [this, model, column](const QString& t) { WriteCell(model, column, t); });
    };
    text(edtIDName, idModel_, IdName);
    text(edtIDNumber, idModel_, IdNo);
    text(edtIDToken, idModel_, IdToken);
    text(edtIPName, ipModel_, IpName);
    text(edtToken, tokenModel_, TkToken);
    // The address field rewrites what it is given into its mask; only typing
    // goes into the row, so a stored address opens and saves unchanged.
    connect(edtIPAddress, &QLineEdit::textEdited, this,
            [this](const QString& t) { WriteCell(ipModel_, IpAddress, t); });
    // Only the operator's click on a box writes its flag.
    const auto flag = [this](QCheckBox* box, ListGridModel* model, int column) {
        connect(box, &QCheckBox::clicked, this, [this, model, column](bool on) {
            WriteCell(model, column, on ? QString(kYes) : QString(kNo));
        });
    };
    flag(chkIDListen, idModel_, IdListen);
    flag(chkIDToken, idModel_, IdUseToken);
    flag(chkIDPopup, idModel_, IdPopup);
    flag(chkIPListen, ipModel_, IpListen);
    flag(chkUseToken, tokenModel_, TkUseToken);
    flag(chkTokenPopup, tokenModel_, TkPopup);

    connect(btnIDAdd, &QPushButton::clicked, this, &TfrmOptions::btnIDAddClick);
    connect(btnIDDelete, &QPushButton::clicked, this, &TfrmOptions::btnIDDeleteClick);
    connect(btnIPAdd, &QPushButton::clicked, this, &TfrmOptions::btnIPAddClick);
    connect(btnIPDelete, &QPushButton::clicked, this, &TfrmOptions::btnIPDeleteClick);
    connect(btnTokenAdd, &QPushButton::clicked, this, &TfrmOptions::btnTokenAddClick);
    connect(btnTokenDelete, &QPushButton::clicked, this, &TfrmOptions::btnTokenDeleteClick);
    connect(btnChooseColor, &QToolButton::clicked, this, &TfrmOptions::btnChooseColorClick);
    connect(btnTokenColor, &QToolButton::clicked, this, &TfrmOptions::btnTokenColorClick);
    connect(grdIDList, &QTableView::doubleClicked, this, &TfrmOptions::btnChooseColorClick);
    connect(grdTokenList, &QTableView::doubleClicked, this, &TfrmOptions::btnTokenColorClick);
    // Pressing a half moves once at once; holding repeats after 400 ms, then every 100 ms.
    for (auto [half, step] : {std::pair{btnTopDownTop, -1}, std::pair{btnTopDownBottom, 1}}) {
        connect(half, &QToolButton::pressed, this, [this, step = step] {
            repeatStep_ = step;
            MoveTokenRow(step);
            tmrTokenRepeat->start(400);
        });
        connect(half, &QToolButton::released, tmrTokenRepeat, &QTimer::stop);
    }

    for (QWidget* w : std::initializer_list<QWidget*>{
             grdIDList, edtIDName, edtIDNumber, edtIDToken, chkIDListen, chkIDPopup, chkIDToken, grdIPList,
             edtIPName, edtIPAddress, chkIPListen, grdTokenList, edtToken, chkUseToken, chkTokenPopup})
        w->installEventFilter(this);
}

void TfrmOptions::WriteCell(ListGridModel* model, int column, const QString& text) {
    if (loading_) return;
    ListGrid& grid = model->Grid();
    grid.SetCell(grid.Current(), column, StoredText(text));
    model->CellChanged(grid.Current(), column);
}

void TfrmOptions::SetSwatch(QFrame* swatch, const QColor& colour) {
    swatch->setStyleSheet(QString("QFrame { border: 1px solid grey; background: %1; }").arg(colour.name()));
}

void TfrmOptions::ShowCurrentRow(QTableView* view, ListGridModel* model) {
    loading_ = true;
    const QModelIndex index = model->index(model->Grid().Current(), 0);
    view->setCurrentIndex(index);
    view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
    loading_ = false;
}

void TfrmOptions::FillListGrids(Lists which) {
    if (which == Lists::Id || which == Lists::All) {
        idGrid_ = IdGridFrom(options_.IdList);
        // The entry selected in the filter explorer opens selected here.
        if (!options_.IdList.empty()) idGrid_.SetCurrent(std::max(0, host_.SelectedIdFilterRow()));
        idModel_->Reload();
        ShowCurrentRow(grdIDList, idModel_);
    }
    if (which == Lists::Ip || which == Lists::All) {
        ipGrid_ = IpGridFrom(options_.IpList);
        if (!options_.IpList.empty()) ipGrid_.SetCurrent(std::max(0, host_.SelectedIpFilterRow()));
        ipModel_->Reload();
        ShowCurrentRow(grdIPList, ipModel_);
    }
    if (which == Lists::Token || which == Lists::All) {
        tokenGrid_ = TokenGridFrom(options_.TokenList);
        tokenModel_->Reload();
        ShowCurrentRow(grdTokenList, tokenModel_);
    }
}

void TfrmOptions::LoadEditPanel(Lists which) {
    loading_ = true;
    if (which == Lists::Id || which == Lists::All) {
        const int r = idGrid_.Current();
        edtIDName->setText(DisplayText(idGrid_.Cell(r, IdName)));
        edtIDNumber->setText(DisplayText(idGrid_.Cell(r, IdNo)));
        chkIDListen->setChecked(idGrid_.Cell(r, IdListen) == kYes);
        edtIDToken->setText(DisplayText(idGrid_.Cell(r, IdToken)));
        chkIDToken->setChecked(idGrid_.Cell(r, IdUseToken) == kYes);
        chkIDPopup->setChecked(idGrid_.Cell(r, IdPopup) == kYes);
        btnIDDelete->setEnabled(true);
        // A colour that is not a number leaves the swatch as it was.
        if (const auto colour = CellColour(idGrid_, r, IdColor)) idSwatch_ = FromBgr(*colour);
        SetSwatch(shpColor, idSwatch_);
        dialogColour_ = idSwatch_;
    }
    if (which == Lists::Ip || which == Lists::All) {
        const int r = ipGrid_.Current();
        edtIPName->setText(DisplayText(ipGrid_.Cell(r, IpName)));
        edtIPAddress->setText(DisplayText(ipGrid_.Cell(r, IpAddress)));
        chkIPListen->setChecked(ipGrid_.Cell(r, IpListen) == kYes);
        btnIPDelete->setEnabled(true);
    }
    if (which == Lists::Token || which == Lists::All) {
        const int r = tokenGrid_.Current();
        edtToken->setText(DisplayText(tokenGrid_.Cell(r, TkToken)));
        chkUseToken->setChecked(tokenGrid_.Cell(r, TkUseToken) == kYes);
        chkTokenPopup->setChecked(tokenGrid_.Cell(r, TkPopup) == kYes);
        btnTokenDelete->setEnabled(true);
        // Unlike the ID panel, a colour that is not a number shows black.
        const auto colour = CellColour(tokenGrid_, r, TkColor);
        tokenSwatch_ = colour ? FromBgr(*colour) : QColor(Qt::black);
        SetSwatch(shpTokenColor, tokenSwatch_);
        dialogColour_ = tokenSwatch_;
    }
    loading_ = false;
}

void TfrmOptions::edtIDNumberExit() {
    if (asking_) return;
    const std::string number(Trim(StoredText(edtIDNumber->text())));
    if (number.empty()) return;
    const std::optional<std::int32_t> n = ParseInt32(number);
    if (!n || *n < 0 || *n > 7) return;
    const char* standard = SeverityNames[static_cast<std::size_t>(*n)];
    if (std::string(Trim(StoredText(edtIDName->text()))) == standard) return;
    asking_ = true;
    const bool yes = dialogs_.AskYesNo(
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

void TfrmOptions::pop8Click() {
    if (!AddIdRow(idGrid_)) return;
    idModel_->Reload();
    ShowCurrentRow(grdIDList, idModel_);
    LoadEditPanel(Lists::Id);
    edtIDName->setFocus();
}

void TfrmOptions::AddSeverityPreset(int level) {
    for (int l = level < 0 ? 0 : level; l <= (level < 0 ? 7 : level); ++l)
        qm::AddSeverityPreset(idGrid_, l);
    idModel_->Reload();
    ShowCurrentRow(grdIDList, idModel_);
    LoadEditPanel(Lists::Id);
}

void TfrmOptions::btnIDAddClick() {
    popIDAdd->popup(mapToGlobal(QPoint(50, 50)));
}

void TfrmOptions::AddKeyedRowAndFocus(ListGridModel* model, QTableView* view, QLineEdit* keyField,
                                      Lists which) {
    if (AddKeyedRow(model->Grid())) {
        model->Reload();
        ShowCurrentRow(view, model);
        keyField->setFocus();
    }
    LoadEditPanel(which);
}

void TfrmOptions::btnIPAddClick() {
    AddKeyedRowAndFocus(ipModel_, grdIPList, edtIPName, Lists::Ip);
}

void TfrmOptions::btnTokenAddClick() {
    AddKeyedRowAndFocus(tokenModel_, grdTokenList, edtToken, Lists::Token);
}

bool TfrmOptions::DeleteRow(ListGridModel* model, QTableView* view, const char* caption, const char* text,
                            Lists which) {
    const bool yes = dialogs_.AskYesNo(this, caption, text, BoxIcon::Warning);
    if (yes) {
        model->Grid().DeleteCurrentRow();
        model->Reload();
        ShowCurrentRow(view, model);
    }
    LoadEditPanel(which);
    return yes;
}

void TfrmOptions::btnIDDeleteClick() {
    DeleteRow(idModel_, grdIDList, "Delete ID", "Do you want to delete this ID Listen Number entire?",
              Lists::Id);
}

void TfrmOptions::btnIPDeleteClick() {
    DeleteRow(ipModel_, grdIPList, "Delete IP address",
              "Do you want to delete this IP Listen Address entire?", Lists::Ip);
}

void TfrmOptions::btnTokenDeleteClick() {
    DeleteRow(tokenModel_, grdTokenList, "Delete Token", "Do you want to delete this Token entire?",
              Lists::Token);
}

void TfrmOptions::ChooseColour(ListGridModel* model, int colourColumn, QFrame* swatch, QColor& swatchColour) {
    const std::optional<QColor> chosen = dialogs_.ChooseColor(this, dialogColour_);
    ListGrid& grid = model->Grid();
    // A colour needs a named row (an ID name, a token) to belong to.
    if (chosen && !grid.Trimmed(grid.Current(), 0).empty()) {
        swatchColour = *chosen;
        dialogColour_ = *chosen;
        SetSwatch(swatch, swatchColour);
        WriteCell(model, colourColumn, QString::number(ToBgr(*chosen)));
    }
    host_.RepaintProcessTable();
}

void TfrmOptions::btnChooseColorClick() {
    ChooseColour(idModel_, IdColor, shpColor, idSwatch_);
}

void TfrmOptions::btnTokenColorClick() {
    ChooseColour(tokenModel_, TkColor, shpTokenColor, tokenSwatch_);
}

void TfrmOptions::MoveTokenRow(int step) {
    if (!tokenGrid_.MoveCurrent(step)) return;
    tokenModel_->Reload();
    ShowCurrentRow(grdTokenList, tokenModel_);
    LoadEditPanel(Lists::Token);
}

void TfrmOptions::TokenRepeatTick() {
    QToolButton* half = repeatStep_ < 0 ? btnTopDownTop : btnTopDownBottom;
    // Released, or the pointer left that half: the button is no longer down.
    if (!half->isDown()) {
        tmrTokenRepeat->stop();
        return;
    }
    MoveTokenRow(repeatStep_);
    tmrTokenRepeat->start(100);
}

} // namespace qm
