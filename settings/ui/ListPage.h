// The list-page pattern of the options dialog, shared by the ID, IP and Token
// pages: a read-only grid holding the working copy, its captions over its
// columns, and an edit panel that edits the grid's current row in place.
#pragma once

#include "platform/qt/Dialogs.h"
#include "settings/OptionsLists.h"
#include "settings/ui/ListGridModel.h"

#include <QColor>
#include <QWidget>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace qm {

class ListPage : public QWidget {
    Q_OBJECT
public:
    ListGrid& Grid() { return grid_; }
    const ListGrid& Grid() const { return grid_; }

    // Replaces the rows and makes `current` the current row (clamped).
    void FillListGrid(ListGrid grid, int current);
    // Shows the current row in the edit panel.
    virtual void LoadEditPanel() = 0;
    // "+" and Ins.
    virtual void AddRow() = 0;
    // "-" and Ctrl+Del: asks, then deletes the current row.
    void DeleteRow();
    // Ins, Ctrl+Del, Up and Down as this page hears them; true when used.
    bool HandleKey(QKeyEvent* key);
    // The operator came to this page: its grid takes the focus.
    void Entered();

signals:
    // The colour dialog closed, a colour chosen or not: the live table repaints.
    void ColourDialogClosed();

protected:
    struct Deletion {
        const char* caption;
        const char* text;
    };
    ListPage(const char* pageName, const char* panelName, const char* gridName, int panelHeight, int columnWidth,
             const std::vector<const char*>& captions, Deletion deletion, DialogService& dialogs);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Keys on these widgets act on this page.
    void WatchKeys(std::initializer_list<QWidget*> widgets);
    // Text typed into `edit` goes into `column` of the current row.
    void EditsColumn(QLineEdit* edit, int column);
    // The operator's click on `box` writes "Yes" or "No" into `column`.
    void FlagsColumn(QCheckBox* box, int column);
    void WriteCell(int column, const QString& text);
    // After rows were added, removed or moved: the view shows the grid anew
    // with its current row selected.
    void Reload();
    // Adds a row when the last one is complete (`add` decides), focusing
    // `first`; the panel shows the current row in any case.
    void AddRowFocusing(bool (*add)(ListGrid&), QWidget* first);
    // The colour dialog from `start`. A confirmed colour is returned, and
    // written into `column`, only for a row whose key (column 0) is filled.
    std::optional<QColor> ChooseColour(int column, const QColor& start);
    static void PaintSwatch(QFrame* swatch, const QColor& colour);

    QWidget* Panel() const { return panel_; }
    QTableView* View() const { return view_; }
    DialogService& Dialogs() { return dialogs_; }

    // While set, the panel shows a row: its fields write nothing back.
    bool loading_ = false;

private:
    void SelectCurrentRow();

    ListGrid grid_;
    ListGridModel* model_;
    QTableView* view_;
    QWidget* panel_;
    Deletion deletion_;
    DialogService& dialogs_;
};

// Small widgets every page builds the same way.
QLineEdit* MakeEdit(const char* name);
QCheckBox* MakeCheck(const char* name, const char* caption);
QFrame* MakeSwatch(const char* name);
QToolButton* MakeColourButton(const char* name);
// "+" and "-" beside a panel.
QPushButton* MakeRowButton(const char* name, const char* caption);

} // namespace qm
