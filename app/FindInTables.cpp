#include "app/FindInTables.h"

#include "app/FindBar.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/TableRowsModel.h"

#include <QAction>
#include <QBoxLayout>
#include <QTabWidget>
#include <QTableView>

namespace qm {

FindInTables::FindInTables(QTableView* process, QTableView* viewer, QTabWidget* pages,
                           ProcessTableModel* processModel, QWidget* window)
    : QObject(window), process_(process), viewer_(viewer), pages_(pages), processModel_(processModel),
      bar_(new FindBar(window)), actFind_(new QAction("&Find...", window)) {
    actFind_->setObjectName("actFind");
    actFind_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    actFind_->setStatusTip("Find in the table");
    window->addAction(actFind_); // the key works wherever the focus is in the window
    connect(actFind_, &QAction::triggered, this, &FindInTables::Open);
    connect(bar_, &FindBar::Changed, this, [this] {
        matcher_ = TextMatcher(bar_->Text(), bar_->MatchCase());
        Highlight(&matcher_);
    });
    connect(bar_, &FindBar::Search, this, &FindInTables::Next);
    connect(bar_, &FindBar::Closed, this, [this] {
        matcher_ = TextMatcher();
        Highlight(nullptr);
        ShownGrid()->setFocus();
        // The live table follows the newest message again.
        if (pages_->currentWidget()->isAncestorOf(process_)) SelectInsertionRow(process_);
    });
    // While finding, the operator's row is kept; when trimming takes it,
    // nothing is selected (the view would otherwise pick a neighbour).
    connect(processModel_, &ProcessTableModel::Trimming, this, [this](int count) {
        operatorRowGoing_ = KeepsProcessSelection() && process_->currentIndex().isValid() &&
                            process_->currentIndex().row() < count;
    });
    connect(processModel_, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (operatorRowGoing_) process_->selectionModel()->clear();
        operatorRowGoing_ = false;
    });
    connect(pages_, &QTabWidget::currentChanged, this, [this] {
        if (bar_->isVisible()) Place();
    });
}

QTableView* FindInTables::ShownGrid() const {
    return pages_->currentWidget()->isAncestorOf(process_) ? process_ : viewer_;
}

bool FindInTables::KeepsProcessSelection() const {
    return bar_->isVisible() && ShownGrid() == process_;
}

void FindInTables::Highlight(const TextMatcher* matcher) {
    for (QTableView* grid : {process_, viewer_}) {
        if (auto* painter = qobject_cast<GridCellPainter*>(grid->itemDelegate())) painter->HighlightMatches(matcher);
        grid->viewport()->update();
    }
}

void FindInTables::Place() {
    // Under the table of the shown page.
    if (auto* layout = qobject_cast<QBoxLayout*>(pages_->currentWidget()->layout())) layout->addWidget(bar_);
    bar_->show();
}

void FindInTables::Open() {
    Place();
    bar_->Open();
}

void FindInTables::Next(bool forward) {
    QTableView* grid = ShownGrid();
    // The live table's view may still show rows the core has trimmed since
    // the last catch-up: catch up first, so the search and the screen hold
    // the same rows.
    if (grid == process_) processModel_->Flush();
    const auto* model = qobject_cast<const TableRowsModel*>(grid->model());
    if (!model) return;
    const QModelIndex current = grid->currentIndex();
    const bool fromCell = current.isValid() && model->HasRow(current.row());
    const FoundCell found =
        FindCell(*model, matcher_, fromCell ? current.row() : -1, fromCell ? current.column() : 0, forward);
    if (found.row < 0) {
        bar_->SetNote(matcher_.Empty() ? QString() : QString("No match"));
        return;
    }
    const QModelIndex index = grid->model()->index(found.row, found.column);
    grid->setCurrentIndex(index);
    grid->scrollTo(index);
    bar_->SetNote(!found.wrapped ? QString()
                  : forward     ? QString("Passed the end: went on from the top")
                                : QString("Passed the top: went on from the end"));
}

} // namespace qm
