// Find without filtering, as a feature of its own: Ctrl+F opens the find
// bar under the table of the shown page; Enter and Shift+Enter go from match
// to match, wrapping with a note; every match is highlighted. While the bar
// is open on the live table, the selection stays on the operator's row
// instead of following new messages.
#pragma once

#include "reception/qt/TableFind.h"

#include <QObject>

class QAction;
class QTabWidget;
class QTableView;

namespace qm {

class FindBar;
class ProcessTableModel;

class FindInTables : public QObject {
    Q_OBJECT
public:
    // `pages` shows `process` on its first page and `viewer` on its second.
    FindInTables(QTableView* process, QTableView* viewer, QTabWidget* pages, ProcessTableModel* processModel,
                 QWidget* window);

    // Edit, "Find..." (Ctrl+F), answering wherever the focus is in the window.
    QAction* Action() const { return actFind_; }
    // The bar is open on the live table: its selection is the operator's.
    bool KeepsProcessSelection() const;

private:
    void Open();
    void Next(bool forward);
    void Place();
    void Highlight(const TextMatcher* matcher);
    QTableView* ShownGrid() const;

    QTableView* process_;
    QTableView* viewer_;
    QTabWidget* pages_;
    ProcessTableModel* processModel_;
    FindBar* bar_;
    QAction* actFind_;
    TextMatcher matcher_; // what the bar highlights
    bool operatorRowGoing_ = false; // trimming is taking the row chosen while finding
};

} // namespace qm
