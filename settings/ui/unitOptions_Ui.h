// The options dialog's widgets and the texts its pages and checks share;
// for the files that make up TfrmOptions only.
#pragma once

#include "settings/ui/IdListPage.h"
#include "settings/ui/IpListPage.h"
#include "settings/ui/TokenListPage.h"
#include "settings/ui/unitOptions.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace qm {

inline constexpr const char* kLimitCaption =
    "Clear Table lProcess after rows up of                 ( 0 - without clear )";
inline constexpr const char* kLimitLead = "Clear Table lProcess after rows up of ";
inline constexpr const char* kLimitRange = "The row limit must be 0 or a whole number from 3 to 9999";
inline constexpr const char* kPortRange = "The UDP port must be a whole number from 1 to 65535";
inline constexpr const char* kTcpPortRange = "The TCP port must be a whole number from 1 to 65535";

struct TfrmOptions::Ui {
    QTabWidget* tabPage = nullptr;
    QLabel* labHint = nullptr;
    QPushButton *btnOk = nullptr, *btnCancel = nullptr;
    QCheckBox *chkAutoSizeGrid = nullptr, *chkStayOnTop = nullptr, *chkCloseToSysTray = nullptr,
              *chkAutoListen = nullptr, *chkFilterIPFirst = nullptr, *chkListenUnregisteredID = nullptr,
              *chkListenUnregisteredIP = nullptr, *chkWriteToLog = nullptr;
    QLabel* labLimitRows = nullptr;
    QLineEdit *edtLogDir = nullptr, *edtPort = nullptr, *edtLimitRows = nullptr;
    QCheckBox* chkUseUserDate = nullptr;
    QCalendarWidget* dtpDate = nullptr;
    QCheckBox *chkTcp = nullptr, *chkIPv6 = nullptr;
    QLineEdit* edtTcpPort = nullptr;
    IdListPage* idPage = nullptr;
    IpListPage* ipPage = nullptr;
    TokenListPage* tokenPage = nullptr;

    // The list page shown, if any.
    ListPage* CurrentList() const {
        QWidget* shown = tabPage->currentWidget();
        if (shown == idPage) return idPage;
        if (shown == ipPage) return ipPage;
        if (shown == tokenPage) return tokenPage;
        return nullptr;
    }
};

} // namespace qm
