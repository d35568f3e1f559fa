// The options dialog's IP list page: sender addresses with their alias names.
#pragma once

#include "settings/Options.h"
#include "settings/ui/ListPage.h"

namespace qm {

class IpListPage : public ListPage {
    Q_OBJECT
public:
    explicit IpListPage(DialogService& dialogs);

    // The entries; `current` is the one selected in the filter explorer.
    void FillListGrid(const std::vector<IpEntry>& entries, int current);
    void LoadEditPanel() override;
    void AddRow() override;
    // A row holding `value` in the key column (the ID's number, the IP's
    // address), the rest left for the operator.
    void AddRowHolding(const std::string& value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Dotted addresses keep the field's mask; an IPv6 address (with a ':',
    // begun with a ':' or a hex letter) is plain text until the field is emptied.
    void MaskFor(const QString& address);

    QLineEdit *edtIPName, *edtIPAddress;
    QCheckBox* chkIPListen;
    QPushButton *btnIPAdd, *btnIPDelete;
};

} // namespace qm
