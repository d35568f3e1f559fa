// The options dialog's two fixed pages: General and Set Date.
#include "settings/ui/unitOptions_Ui.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/ProgramPaths.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qm {

namespace {

QLabel* Heading(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    QFont font = label->font();
    font.setUnderline(true);
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

QWidget* TfrmOptions::BuildGeneralPage() {
    auto* page = new QWidget;
    page->setObjectName("tabGeneral");
    auto* grid = new QVBoxLayout(page);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setSpacing(0);

    ui->chkAutoSizeGrid = MakeCheck("chkAutoSizeGrid", "Auto size for Process and Viewer columns");
    ui->chkStayOnTop = MakeCheck("chkStayOnTop", "Place window on top of desktop");
    ui->chkCloseToSysTray = MakeCheck("chkCloseToSysTray", "Button \"Close\" hide main window to system tray");
    ui->chkAutoListen = MakeCheck("chkAutoListen", "Automaticaly start listen on programm lunch");
    ui->chkFilterIPFirst = MakeCheck("chkFilterIPFirst", "Filtering IP-address first");
    ui->chkListenUnregisteredID =
        MakeCheck("chkListenUnregisteredID", "Listen messages with Unregistered  ID number");
    ui->chkListenUnregisteredIP =
        MakeCheck("chkListenUnregisteredIP", "Listen messages from Unregistered  IP address");
    ui->chkWriteToLog = MakeCheck("chkWriteToLog", "Write listened message to log-files");

    // The row limit sits inside the gap of its label.
    ui->labLimitRows = new QLabel(QString::fromLatin1(kLimitCaption));
    ui->labLimitRows->setObjectName("labLimitRows");
    ui->edtLimitRows = new QLineEdit(ui->labLimitRows);
    ui->edtLimitRows->setObjectName("edtLimitRows");
    ui->labLimitRows->setMinimumHeight(ui->edtLimitRows->sizeHint().height());

    grid->addWidget(Heading("View"));
    grid->addWidget(ui->chkAutoSizeGrid);
    grid->addWidget(ui->chkStayOnTop);
    grid->addWidget(ui->chkCloseToSysTray);
    grid->addWidget(ui->labLimitRows);
    grid->addSpacing(3);
    grid->addWidget(Heading("Listen"));
    grid->addWidget(ui->chkAutoListen);
    grid->addWidget(ui->chkFilterIPFirst);
    for (QCheckBox* indented : {ui->chkListenUnregisteredID, ui->chkListenUnregisteredIP}) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(18, 0, 0, 0);
        row->addWidget(indented);
        grid->addLayout(row);
    }
    grid->addWidget(ui->chkWriteToLog);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addSpacing(2);
    grid->addWidget(rule);
    grid->addSpacing(2);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(0);
    ui->edtLogDir = MakeEdit("edtLogDir");
    // The drop-down button of the folder field opens the folder chooser.
    QAction* browse =
        ui->edtLogDir->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setObjectName("actChooseLogDir");
    connect(browse, &QAction::triggered, this, [this] {
        // In the system's notation, and in a form the code page can hold.
        if (auto folder = dialogs_.ChooseFolder(this, "Log directory", ui->edtLogDir->text()))
            ui->edtLogDir->setText(DisplayText(PathBytes(*folder).value_or(StoredText(ShownPath(*folder)))));
    });
    ui->edtPort = MakeEdit("edtPort");
    ui->edtPort->setFixedWidth(60);
    fields->addWidget(new QLabel(" Log directory path"), 0, 0);
    fields->addWidget(ui->edtLogDir, 0, 1);
    fields->addWidget(new QLabel("UDP-port"), 0, 2);
    fields->addWidget(ui->edtPort, 0, 3);
    fields->setColumnStretch(1, 1);
    grid->addLayout(fields);
    grid->addStretch(1);

    QWidget* order[] = {ui->chkAutoSizeGrid,         ui->chkStayOnTop,   ui->chkCloseToSysTray,
                        ui->chkAutoListen,           ui->chkFilterIPFirst, ui->chkListenUnregisteredID,
                        ui->chkListenUnregisteredIP, ui->chkWriteToLog,  ui->edtLogDir,
                        ui->edtPort,                 ui->edtLimitRows};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    return page;
}

QWidget* TfrmOptions::BuildSetDatePage() {
    auto* page = new QWidget;
    page->setObjectName("tabSetDate");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 4, 8, 4);
    ui->chkUseUserDate = MakeCheck("chkUseUserDate", "Set Date for write to log-file Message with it");
    ui->dtpDate = new QCalendarWidget;
    ui->dtpDate->setObjectName("dtpDate");
    ui->dtpDate->setGridVisible(true);
    ui->dtpDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // A click anywhere on the calendar means the operator wants its date.
    for (QWidget* w : ui->dtpDate->findChildren<QWidget*>())
        w->installEventFilter(this);
    ui->dtpDate->installEventFilter(this);
    layout->addWidget(ui->chkUseUserDate);
    layout->addWidget(ui->dtpDate, 1);
    return page;
}

QWidget* TfrmOptions::BuildNetworkPage() {
    // Listeners beyond the UDP port of the General page, off unless asked.
    auto* page = new QWidget;
    page->setObjectName("tabNetwork");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 6, 8, 4);
    layout->setSpacing(6);
    ui->chkTcp = MakeCheck("chkTcp", "Also listen on TCP port");
    ui->edtTcpPort = MakeEdit("edtTcpPort");
    ui->edtTcpPort->setFixedWidth(60);
    ui->chkIPv6 = MakeCheck("chkIPv6", "Also listen on IPv6 addresses");
    auto* tcp = new QHBoxLayout;
    tcp->addWidget(ui->chkTcp);
    tcp->addWidget(ui->edtTcpPort);
    tcp->addStretch(1);
    layout->addLayout(tcp);
    layout->addWidget(ui->chkIPv6);
    layout->addStretch(1);
    // The port field is the check box's: it takes a number only while ticked.
    connect(ui->chkTcp, &QCheckBox::toggled, this, [this](bool on) {
        ui->edtTcpPort->setEnabled(on);
        if (on && ui->edtTcpPort->text().isEmpty()) ui->edtTcpPort->setText("514");
        if (on) ui->edtTcpPort->setFocus();
    });
    setTabOrder(ui->chkTcp, ui->edtTcpPort);
    setTabOrder(ui->edtTcpPort, ui->chkIPv6);
    return page;
}

} // namespace qm
