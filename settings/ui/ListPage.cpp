#include "settings/ui/ListPage.h"

#include "settings/ui/FittedHeader.h"

#include "platform/qt/BgrColour.h"
#include "platform/qt/DisplayText.h"
#include "settings/Options.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

QLineEdit* MakeEdit(const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QCheckBox* MakeCheck(const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromLatin1(caption));
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QToolButton* MakeColourButton(const char* name) {
    auto* b = new QToolButton;
    b->setObjectName(QString::fromLatin1(name));
    b->setText("...");
    b->setToolTip("Choose color");
    b->setAutoRaise(true);
    b->setFixedSize(20, 20);
    return b;
}

QPushButton* MakeRowButton(const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption));
    b->setObjectName(QString::fromLatin1(name));
    b->setFixedSize(22, 22);
    b->setAutoDefault(false);
    return b;
}

QFrame* MakeSwatch(const char* name) {
    auto* f = new QFrame;
    f->setObjectName(QString::fromLatin1(name));
    f->setFixedSize(20, 20);
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    return f;
}

ListPage::ListPage(const char* pageName, const char* panelName, const char* gridName, int panelHeight,
                   int columnWidth, const std::vector<const char*>& captions, Deletion deletion,
                   DialogService& dialogs)
    : grid_(static_cast<int>(captions.size())), deletion_(deletion), dialogs_(dialogs) {
    setObjectName(QString::fromLatin1(pageName));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    panel_ = new QWidget;
    panel_->setObjectName(QString::fromLatin1(panelName));
    panel_->setFixedHeight(panelHeight);
    layout->addWidget(panel_);

    QStringList headers;
    for (const char* caption : captions)
        headers << QString::fromLatin1(caption);
    model_ = new ListGridModel(grid_, headers, this);
    view_ = new QTableView;
    view_->setObjectName(QString::fromLatin1(gridName));
    view_->setHorizontalHeader(new FittedHeader(view_));
    view_->setModel(model_);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(17);
    // The column captions are the grid's own header, so they sit over their
    // columns at every font and width.
    QHeaderView* top = view_->horizontalHeader();
    top->setDefaultSectionSize(columnWidth);
    top->setSectionResizeMode(QHeaderView::Fixed);
    top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    top->setSectionsClickable(false);
    top->setHighlightSections(false);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    QPalette palette = view_->palette();
    palette.setColor(QPalette::Base, Qt::white);
    view_->setPalette(palette);
    layout->addWidget(view_, 1);

    // The panel follows the grid's current row, however it changes.
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid() || loading_) return;
                grid_.SetCurrent(current.row());
                LoadEditPanel();
            });
    WatchKeys({view_});
}

void ListPage::WatchKeys(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets)
        w->installEventFilter(this);
}

bool ListPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
    return QWidget::eventFilter(watched, event);
}

bool ListPage::HandleKey(QKeyEvent* key) {
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        LoadEditPanel(); // and the key moves on, to the grid
        return false;
    case Qt::Key_Insert:
        AddRow();
        return true;
    case Qt::Key_Delete:
        if (mods != Qt::ControlModifier) return false;
        DeleteRow();
        return true;
    default:
        return false;
    }
}

void ListPage::Entered() {
    view_->setFocus();
}

void ListPage::EditsColumn(QLineEdit* edit, int column) {
    connect(edit, &QLineEdit::textChanged, this, [this, column](const QString& t) { WriteCell(column, t); });
}

void ListPage::FlagsColumn(QCheckBox* box, int column) {
    connect(box, &QCheckBox::clicked, this,
            [this, column](bool on) { WriteCell(column, QString::fromLatin1(on ? kYes : kNo)); });
}

void ListPage::WriteCell(int column, const QString& text) {
    if (loading_) return;
    grid_.SetCell(grid_.Current(), column, StoredText(text));
    model_->CellChanged(grid_.Current(), column);
}

void ListPage::SelectCurrentRow() {
    loading_ = true;
    const QModelIndex index = model_->index(grid_.Current(), 0);
    view_->setCurrentIndex(index);
    view_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(index);
    loading_ = false;
}

void ListPage::Reload() {
    model_->Reload();
    SelectCurrentRow();
}

void ListPage::FillListGrid(ListGrid grid, int current) {
    grid_ = std::move(grid);
    grid_.SetCurrent(current);
    Reload();
}

void ListPage::AddRowFocusing(bool (*add)(ListGrid&), QWidget* first) {
    if (add(grid_)) {
        Reload();
        first->setFocus();
    }
    LoadEditPanel();
}

void ListPage::DeleteRow() {
    if (dialogs_.AskYesNo(this, QString::fromLatin1(deletion_.caption), QString::fromLatin1(deletion_.text),
                          BoxIcon::Warning)) {
        grid_.DeleteCurrentRow();
        Reload();
    }
    LoadEditPanel();
}

std::optional<QColor> ListPage::ChooseColour(int column, const QColor& start) {
    std::optional<QColor> chosen = dialogs_.ChooseColor(this, start);
    // A colour needs a named row (an ID name, a token) to belong to.
    if (chosen && grid_.Trimmed(grid_.Current(), 0).empty()) chosen.reset();
    if (chosen) WriteCell(column, QString::number(BgrFromColour(*chosen)));
    emit ColourDialogClosed();
    return chosen;
}

void ListPage::PaintSwatch(QFrame* swatch, const QColor& colour) {
    swatch->setStyleSheet(QString("QFrame { border: 1px solid grey; background: %1; }").arg(colour.name()));
}

} // namespace qm
