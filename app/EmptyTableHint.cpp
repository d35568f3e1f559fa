#include "app/EmptyTableHint.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace qm {

EmptyTableHint::EmptyTableHint(QTableView* view, std::function<bool()> empty)
    : QObject(view), view_(view), viewport_(view->viewport()), empty_(std::move(empty)),
      label_(new QLabel(view->viewport())) {
    label_->setObjectName(view->objectName() + "EmptyHint");
    label_->setAlignment(Qt::AlignCenter);
    label_->setWordWrap(true);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label_->setForegroundRole(QPalette::PlaceholderText);
    viewport_->installEventFilter(this);
    QAbstractItemModel* model = view->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &EmptyTableHint::Update);
    connect(model, &QAbstractItemModel::modelReset, this, &EmptyTableHint::Update);
    Update();
}

void EmptyTableHint::SetText(const QString& text) {
    label_->setText(text);
    Update();
}

bool EmptyTableHint::eventFilter(QObject* watched, QEvent* event) {
    // The viewport's own pointer: its events come while the view is being destroyed too.
    if (watched == viewport_ && event->type() == QEvent::Resize) Update();
    return QObject::eventFilter(watched, event);
}

void EmptyTableHint::Update() {
    const bool empty = empty_() && !label_->text().isEmpty();
    if (empty) {
        // Below the table's own blank row, clear of the edges.
        const QRect area = viewport_->rect();
        const int top = view_->verticalHeader()->defaultSectionSize() + 8;
        label_->setGeometry(12, top, std::max(0, area.width() - 24), std::max(40, area.height() / 3));
    }
    label_->setVisible(empty);
}

} // namespace qm
