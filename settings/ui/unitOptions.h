// The options dialog: General, the three list pages, Set Date and Network.
// It works on copies; OK binds what changed of the listening, then hands
// back what the operator confirmed and the main window takes it over;
// Cancel drops every edit.
#pragma once

#include "platform/Result.h"
#include "platform/qt/Dialogs.h"
#include "settings/Options.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTabWidget;

namespace qm {

class IdListPage;
class IpListPage;
class TokenListPage;

// Everything OK takes over, in the order the window applies it.
struct OptionsEdit {
    GeneralOptions General;
    NetworkOptions Network;
    bool UseUserDate = false;
    DateTime UserDate;
    std::vector<IdEntry> IdList;
    std::vector<IpEntry> IpList;
    std::vector<TokenEntry> TokenList;
};

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    enum Page { PageGeneral = 0, PageIdList = 1, PageIpList = 2, PageTokenList = 3, PageSetDate = 4, PageNetwork = 5 };

    // Binds a changed UDP port, TCP port or IPv6 choice at OK, before
    // anything is taken over; a failure says why.
    using PortBinder = std::function<Result(int udpPort, const NetworkOptions& network)>;

    // `idRow` and `ipRow`: the entries selected in the filter explorer, where
    // the ID and IP pages open.
    TfrmOptions(const Options& options, int idRow, int ipRow, DialogService& dialogs, PortBinder bindPort,
                QWidget* parent = nullptr);
    ~TfrmOptions() override;

    // Selects a page without it counting as the operator's page change.
    void SelectPage(Page page);

    // Opens on the ID or IP page with a new row holding `value` (a priority's
    // number, a sender's address): "Add to list..." of the statistics.
    void AddRowHolding(Page page, const std::string& value);

    // What OK took, once the dialog was accepted.
    const OptionsEdit& Edit() const { return edit_; }

signals:
    // The colour dialog of a list page closed: the live table repaints.
    void ColourDialogClosed();

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Ui;
    QWidget* BuildGeneralPage();
    QWidget* BuildSetDatePage();
    QWidget* BuildNetworkPage();
    void FillControls();
    void tabPageChange(int page);
    void btnOkClick();
    void btnCancelClick();
    // Reads a whole number within [low, high]; otherwise the error box.
    bool TakeNumber(const QString& text, int low, int high, std::int32_t& out, const QString& rangeText);
    bool TakeOver();

    const Options& options_;
    DialogService& dialogs_;
    PortBinder bindPort_;
    std::unique_ptr<Ui> ui;
    OptionsEdit edit_;
    bool closePermitted_ = false;
};

} // namespace qm
