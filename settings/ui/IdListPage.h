// The options dialog's ID list page: ID entries keyed by a priority number
// (or a severity 0 to 7 that catches every unregistered priority of it), with
// the standard severity presets.
#pragma once

#include "settings/Options.h"
#include "settings/ui/ListPage.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace qm {

class IdListPage : public ListPage {
    Q_OBJECT
public:
    explicit IdListPage(DialogService& dialogs);

    // The entries; `current` is the one selected in the filter explorer.
    void FillListGrid(const std::vector<IdEntry>& entries, int current);
    void LoadEditPanel() override;
    // "+" and Ins open the preset menu.
    void AddRow() override;
    // A row holding `value` in the key column (the ID's number, the IP's
    // address), the rest left for the operator.
    void AddRowHolding(const std::string& value);
    // The preset of severity `level` (0..7), or of all eight for -1.
    void AddSeverityPreset(int level);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanel();
    void BuildPresetMenu();
    void edtIDNumberExit();
    void pop8Click();
    void btnChooseColorClick();

    QLineEdit *edtIDName, *edtIDNumber, *edtIDToken;
    QCheckBox *chkIDToken, *chkIDListen, *chkIDPopup;
    QFrame* shpColor;
    QToolButton* btnChooseColor;
    QPushButton *btnIDAdd, *btnIDDelete;
    QMenu* popIDAdd;
    QColor swatch_{Qt::white};
    bool asking_ = false;
};

} // namespace qm
