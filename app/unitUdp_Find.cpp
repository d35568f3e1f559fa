// Find without filtering: the find bar under the table of the shown page.
#include "app/FindBar.h"
#include "app/unitUdp_Ui.h"

#include <QAction>
#include <QBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>

namespace qm {

namespace {

void Highlight(QTableView* grid, const TextMatcher* matcher) {
    if (auto* painter = qobject_cast<GridCellPainter*>(grid->itemDelegate())) painter->HighlightMatches(matcher);
    grid->viewport()->update();
}

} // namespace

void TfrmUDP::BuildFind() {
    ui->findBar = new FindBar(this);
    ui->actFind = new QAction("&Find...", this);
    ui->actFind->setObjectName("actFind");
    ui->actFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    ui->actFind->setStatusTip("Find in the table");
    addAction(ui->actFind); // the key works wherever the focus is in the window
    menuBar()->findChild<QMenu*>("mnuEdit")->addAction(ui->actFind);
    connect(ui->actFind, &QAction::triggered, this, &TfrmUDP::actFindExecute);
    connect(ui->findBar, &FindBar::Changed, this, [this] {
        ui->findMatcher = TextMatcher(ui->findBar->Text(), ui->findBar->MatchCase());
        for (QTableView* grid : {ui->grdProcess, ui->grdViewer})
            Highlight(grid, &ui->findMatcher);
    });
    connect(ui->findBar, &FindBar::Search, this, &TfrmUDP::FindNext);
    connect(ui->findBar, &FindBar::Closed, this, [this] {
        ui->findMatcher = TextMatcher();
        for (QTableView* grid : {ui->grdProcess, ui->grdViewer})
            Highlight(grid, nullptr);
        ShownGrid()->setFocus();
        // The live table follows the newest message again.
        if (ui->tabMessPage->currentIndex() == PageProcess) SelectInsertionRow(ui->grdProcess);
    });
    // While finding, the operator's row is kept; when trimming takes it,
    // nothing is selected (the view would otherwise pick a neighbour).
    connect(ui->processModel, &ProcessTableModel::Trimming, this, [this](int count) {
        ui->operatorRowGoing = FindingInProcess() && ui->grdProcess->currentIndex().isValid() &&
                               ui->grdProcess->currentIndex().row() < count;
    });
    connect(ui->processModel, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (ui->operatorRowGoing) ui->grdProcess->selectionModel()->clear();
        ui->operatorRowGoing = false;
    });
    connect(ui->tabMessPage, &QTabWidget::currentChanged, this, [this] {
        if (ui->findBar->isVisible()) PlaceFindBar();
    });
}

QTableView* TfrmUDP::ShownGrid() const {
    return ui->tabMessPage->currentIndex() == PageProcess ? ui->grdProcess : ui->grdViewer;
}

bool TfrmUDP::FindingInProcess() const {
    return ui->findBar->isVisible() && ui->tabMessPage->currentIndex() == PageProcess;
}

void TfrmUDP::PlaceFindBar() {
    // Under the table of the shown page.
    if (auto* layout = qobject_cast<QBoxLayout*>(ui->tabMessPage->currentWidget()->layout()))
        layout->addWidget(ui->findBar);
    ui->findBar->show();
}

void TfrmUDP::actFindExecute() {
    PlaceFindBar();
    ui->findBar->Open();
}

void TfrmUDP::FindNext(bool forward) {
    QTableView* grid = ShownGrid();
    // The live table's view may still show rows the core has trimmed since
    // the last catch-up: catch up first, so the search and the screen hold
    // the same rows.
    if (grid == ui->grdProcess) ui->processModel->Flush();
    const auto* model = qobject_cast<const TableRowsModel*>(grid->model());
    if (!model) return;
    const QModelIndex current = grid->currentIndex();
    const bool fromCell = current.isValid() && model->HasRow(current.row());
    const FoundCell found = FindCell(*model, ui->findMatcher, fromCell ? current.row() : -1,
                                     fromCell ? current.column() : 0, forward);
    if (found.row < 0) {
        ui->findBar->SetNote(ui->findMatcher.Empty() ? QString() : QString("No match"));
        return;
    }
    const QModelIndex index = grid->model()->index(found.row, found.column);
    grid->setCurrentIndex(index);
    grid->scrollTo(index);
    ui->findBar->SetNote(!found.wrapped ? QString()
                         : forward    ? QString("Passed the end: went on from the top")
                                      : QString("Passed the top: went on from the end"));
}

} // namespace qm
