// The options dialog: General, the three list pages, Set Date; OK takes the
// edits over into Options, Cancel drops them.
#pragma once

#include "platform/qt/Dialogs.h"
#include "settings/ui/ListGridModel.h"
#include "settings/Options.h"
#include "settings/ui/OptionsHost.h"
#include "settings/OptionsLists.h"

#include <QDialog>

class QCalendarWidget;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace qm {

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    enum Page { PageGeneral = 0, PageIdList = 1, PageIpList = 2, PageTokenList = 3, PageSetDate = 4 };
    enum class Lists { Id, Ip, Token, All };

    TfrmOptions(Options& options, OptionsHost& host, DialogService& dialogs, QWidget* parent = nullptr);
    ~TfrmOptions() override;

    // Selects a page without it counting as the operator's page change.
    void SelectPage(int page);

    void FillListGrids(Lists which);
    void LoadEditPanel(Lists which);
    void AddSeverityPreset(int level); // 0..7, or -1 for all
    void MoveTokenRow(int step);
    // The held spin button's next step (the repeat timer's tick).
    void TokenRepeatTick();

    ListGrid& IdGrid() { return idGrid_; }
    ListGrid& IpGrid() { return ipGrid_; }
    ListGrid& TokenGrid() { return tokenGrid_; }
    bool ClosePermitted() const { return closePermitted_; }

    // Widgets, also found by objectName.
    QTabWidget* tabPage = nullptr;
    QLabel* labHint = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr;
    QCheckBox *chkAutoSizeGrid = nullptr, *chkStayOnTop = nullptr, *chkCloseToSysTray = nullptr,
              *chkAutoListen = nullptr, *chkFilterIPFirst = nullptr, *chkListenUnregisteredID = nullptr,
              *chkListenUnregisteredIP = nullptr, *chkWriteToLog = nullptr;
    QLineEdit *edtLogDir = nullptr, *edtPort = nullptr, *edtLimitRows = nullptr;
    QCheckBox* chkUseUserDate = nullptr;
    QCalendarWidget* dtpDate = nullptr;
    QTableView *grdIDList = nullptr, *grdIPList = nullptr, *grdTokenList = nullptr;
    QLineEdit *edtIDName = nullptr, *edtIDNumber = nullptr, *edtIDToken = nullptr;
    QCheckBox *chkIDToken = nullptr, *chkIDListen = nullptr, *chkIDPopup = nullptr;
    QFrame* shpColor = nullptr;
    QToolButton* btnChooseColor = nullptr;
    QPushButton *btnIDAdd = nullptr, *btnIDDelete = nullptr;
    QMenu* popIDAdd = nullptr;
    QLineEdit *edtIPName = nullptr, *edtIPAddress = nullptr;
    QCheckBox* chkIPListen = nullptr;
    QPushButton *btnIPAdd = nullptr, *btnIPDelete = nullptr;
    QLineEdit* edtToken = nullptr;
    QFrame* shpTokenColor = nullptr;
    QToolButton* btnTokenColor = nullptr;
    QCheckBox *chkUseToken = nullptr, *chkTokenPopup = nullptr;
    QToolButton *btnTopDownTop = nullptr, *btnTopDownBottom = nullptr;
    QPushButton *btnTokenAdd = nullptr, *btnTokenDelete = nullptr;
    QTimer* tmrTokenRepeat = nullptr;

public slots:
    void btnOkClick();
    void btnCancelClick();
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildGeneralPage();
    QWidget* BuildIdPage();
    QWidget* BuildIpPage();
    QWidget* BuildTokenPage();
    QWidget* BuildSetDatePage();
    void FillControls();
    void ConnectListPages();

    void tabPageChange(int page);
    void edtIDNumberExit();
    void btnIDAddClick();
    void btnIDDeleteClick();
    void btnIPAddClick();
    void btnIPDeleteClick();
    void btnTokenAddClick();
    void btnTokenDeleteClick();
    void btnChooseColorClick();
    void btnTokenColorClick();
    void pop8Click();
    // Ins and Ctrl+Del on a page's widgets; returns true when the key was used.
    bool ListKey(int page, QKeyEvent* key);
    bool DeleteRow(ListGridModel* model, QTableView* view, const char* caption, const char* text,
                   Lists which);
    void ShowCurrentRow(QTableView* view, ListGridModel* model);
    void ChooseColour(ListGridModel* model, int colourColumn, QFrame* swatch, QColor& swatchColour);
    void AddKeyedRowAndFocus(ListGridModel* model, QTableView* view, QLineEdit* keyField, Lists which);
    void WriteCell(ListGridModel* model, int column, const QString& text);
    void SetSwatch(QFrame* swatch, const QColor& colour);
    bool TakeNumber(const QLineEdit* field, int low, int high, std::int32_t& out, const QString& rangeText);

    Options& options_;
    OptionsHost& host_;
    DialogService& dialogs_;
    ListGrid idGrid_{IdColumns};
    ListGrid ipGrid_{IpColumns};
    ListGrid tokenGrid_{TkColumns};
    ListGridModel* idModel_ = nullptr;
    ListGridModel* ipModel_ = nullptr;
    ListGridModel* tokenModel_ = nullptr;
    QColor idSwatch_{Qt::white};
    QColor tokenSwatch_{Qt::black};
    QColor dialogColour_{Qt::white}; // dlgColor's starting colour
    int repeatStep_ = 0;
    bool closePermitted_ = false;
    bool loading_ = false;
    bool asking_ = false;
};

} // namespace qm
