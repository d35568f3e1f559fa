#include "settings/ui/TokenListPage.h"

#include "platform/qt/BgrColour.h"
#include "platform/qt/DisplayText.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

TokenListPage::TokenListPage(DialogService& dialogs)
    : ListPage("tabTokenList", "pnlTokenEdit", "grdTokenList", 37, 91, {"Token", "Use Token", "Color", "PopUp"},
               {"Delete Token", "Do you want to delete this Token entire?"}, dialogs) {
    auto* row = new QHBoxLayout(Panel());
    row->setContentsMargins(2, 0, 2, 0);
    edtToken = MakeEdit("edtToken");
    shpTokenColor = MakeSwatch("shpTokenColor");
    btnTokenColor = MakeColourButton("btnTokenColor");
    chkUseToken = MakeCheck("chkUseToken", "Look for Token");
    chkTokenPopup = MakeCheck("chkTokenPopup", "PopUp");
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
    btnTokenAdd = MakeRowButton("btnTokenAdd", "+");
    btnTokenDelete = MakeRowButton("btnTokenDelete", "-");
    row->addWidget(new QLabel("Token"));
    row->addWidget(edtToken, 1);
    row->addWidget(shpTokenColor);
    row->addWidget(btnTokenColor);
    row->addWidget(chkUseToken);
    row->addWidget(chkTokenPopup);
    row->addWidget(btnTopDown);
    row->addWidget(btnTokenAdd);
    row->addWidget(btnTokenDelete);
    View()->setItemDelegateForColumn(TkColor, new ColourSwatchDelegate(TkColor, View()));

    tmrTokenRepeat = new QTimer(this);
    tmrTokenRepeat->setObjectName("tmrTokenRepeat");
    connect(tmrTokenRepeat, &QTimer::timeout, this, &TokenListPage::RepeatTick);
    // Pressing a half moves once at once; holding repeats after 400 ms, then every 100 ms.
    for (auto [half, step] : {std::pair{btnTopDownTop, -1}, std::pair{btnTopDownBottom, 1}}) {
        connect(half, &QToolButton::pressed, this, [this, step = step] {
            repeatStep_ = step;
            MoveTokenRow(step);
            tmrTokenRepeat->start(400);
        });
        connect(half, &QToolButton::released, tmrTokenRepeat, &QTimer::stop);
    }
    EditsColumn(edtToken, TkToken);
    FlagsColumn(chkUseToken, TkUseToken);
    FlagsColumn(chkTokenPopup, TkPopup);
    connect(btnTokenAdd, &QPushButton::clicked, this, &TokenListPage::AddRow);
    connect(btnTokenDelete, &QPushButton::clicked, this, &ListPage::DeleteRow);
    connect(btnTokenColor, &QToolButton::clicked, this, &TokenListPage::btnTokenColorClick);
    connect(View(), &QTableView::doubleClicked, this, &TokenListPage::btnTokenColorClick);
    WatchKeys({edtToken, chkUseToken, chkTokenPopup});
}

void TokenListPage::FillListGrid(const std::vector<TokenEntry>& entries) {
    ListPage::FillListGrid(TokenGridFrom(entries), 0);
}

void TokenListPage::LoadEditPanel() {
    loading_ = true;
    const int r = Grid().Current();
    edtToken->setText(DisplayText(Grid().Cell(r, TkToken)));
    chkUseToken->setChecked(IsSet(Grid().Cell(r, TkUseToken)));
    chkTokenPopup->setChecked(IsSet(Grid().Cell(r, TkPopup)));
    btnTokenDelete->setEnabled(true);
    // Unlike the ID panel, a colour that is not a number shows black.
    const auto colour = ParseColour(Grid().Trimmed(r, TkColor));
    swatch_ = colour ? ColourFromBgr(*colour) : QColor(Qt::black);
    PaintSwatch(shpTokenColor, swatch_);
    loading_ = false;
}

void TokenListPage::AddRow() {
    AddRowFocusing(AddKeyedRow, edtToken);
}

void TokenListPage::btnTokenColorClick() {
    if (const std::optional<QColor> chosen = ChooseColour(TkColor, swatch_)) {
        swatch_ = *chosen;
        PaintSwatch(shpTokenColor, swatch_);
    }
}

void TokenListPage::MoveTokenRow(int step) {
    if (!Grid().MoveCurrent(step)) return;
    Reload();
    LoadEditPanel();
}

void TokenListPage::RepeatTick() {
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
