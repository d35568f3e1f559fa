// The options dialog's Token list page: texts that colour the messages
// holding them; the first in list order wins, so tokens move up and down.
#pragma once

#include "settings/Options.h"
#include "settings/ui/ListPage.h"

class QTimer;

namespace qm {

class TokenListPage : public ListPage {
    Q_OBJECT
public:
    explicit TokenListPage(DialogService& dialogs);

    void FillListGrid(const std::vector<TokenEntry>& entries);
    void LoadEditPanel() override;
    void AddRow() override;
    // Swaps the current token with its neighbour (-1 up, +1 down).
    void MoveTokenRow(int step);

private:
    // The held spin button's next step.
    void RepeatTick();
    void btnTokenColorClick();

    QLineEdit* edtToken;
    QFrame* shpTokenColor;
    QToolButton* btnTokenColor;
    QCheckBox *chkUseToken, *chkTokenPopup;
    QToolButton *btnTopDownTop, *btnTopDownBottom;
    QPushButton *btnTokenAdd, *btnTokenDelete;
    QTimer* tmrTokenRepeat;
    QColor swatch_{Qt::black};
    int repeatStep_ = 0;
};

} // namespace qm
