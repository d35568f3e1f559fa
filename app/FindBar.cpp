#include "app/FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName("barFind");
    // The controls in a row, the note (when there is one) under them, so
    // that a narrow table leaves every control its room.
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(5, 2, 5, 2);
    rows->setSpacing(1);
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    rows->addLayout(layout);
    auto* caption = new QLabel("Find:");
    edtFind = new QLineEdit;
    edtFind->setObjectName("edtFind");
    edtFind->setClearButtonEnabled(true);
    edtFind->setMinimumWidth(110);
    caption->setBuddy(edtFind);
    chkMatchCase = new QCheckBox("Match case");
    chkMatchCase->setObjectName("chkMatchCase");
    const auto button = [this](const char* name, const QString& text, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        return b;
    };
    QToolButton* previous = button("btnFindPrevious", QString::fromUtf8("\u25B2"), "Previous match (Shift+Enter)");
    QToolButton* next = button("btnFindNext", QString::fromUtf8("\u25BC"), "Next match (Enter)");
    QToolButton* close = button("btnFindClose", QString::fromUtf8("\u2715"), "Close (Esc)");
    labFindNote = new QLabel;
    labFindNote->setObjectName("labFindNote");
    labFindNote->hide();
    layout->addWidget(caption);
    layout->addWidget(edtFind, 2);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(chkMatchCase);
    layout->addStretch(0);
    layout->addWidget(close);
    rows->addWidget(labFindNote);
    connect(previous, &QToolButton::clicked, this, [this] { emit Search(false); });
    connect(next, &QToolButton::clicked, this, [this] { emit Search(true); });
    connect(close, &QToolButton::clicked, this, [this] {
        hide();
        emit Closed();
    });
    connect(edtFind, &QLineEdit::textChanged, this, [this] {
        labFindNote->clear();
        emit Changed();
    });
    connect(chkMatchCase, &QCheckBox::toggled, this, &FindBar::Changed);
    for (QWidget* w : std::initializer_list<QWidget*>{edtFind, chkMatchCase})
        w->installEventFilter(this);
    hide();
}

void FindBar::Open() {
    show();
    edtFind->setFocus();
    edtFind->selectAll();
}

QString FindBar::Text() const {
    return edtFind->text();
}

bool FindBar::MatchCase() const {
    return chkMatchCase->isChecked();
}

void FindBar::SetNote(const QString& note) {
    labFindNote->setText(note);
    labFindNote->setVisible(!note.isEmpty());
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit Search(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hide();
            emit Closed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qm
