#include "app/unitMsgViewer.h"

#include "platform/qt/Dialogs.h"

#include "reception/ProcessTable.h"

#include <QAbstractItemModel>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

namespace qm {

namespace {

QLabel* Caption(QWidget* parent, const char* text, int y) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->move(9, y);
    label->adjustSize();
    return label;
}

QLabel* Value(QWidget* parent, const char* name, int y) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(204, y, 140, 15);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128)); // navy
    label->setPalette(palette);
    return label;
}

} // namespace

TfrmMessageViewer::TfrmMessageViewer(QWidget* parent) : QDialog(parent) {
    setObjectName("frmMessageViewer");
    setWindowTitle("Message Viewer");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    setFixedSize(350, 212);

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 0, 350, 212);

    Caption(this, "Message Name/RFC Gravity Level", 9);
    Caption(this, "Received Date", 26);
    Caption(this, "Alias IP", 46);
    Caption(this, "Message PRI/RFC Source", 66);
    Caption(this, "Message Nick Tag", 86);
    Caption(this, "Source Port", 105);
    Caption(this, "Message Text", 126);
    labUserID = Value(this, "labUserID", 9);
    labDateTime = Value(this, "labDateTime", 28);
    labIPAddress = Value(this, "labIPAddress", 47);
    labID_RFC = Value(this, "labID_RFC", 67);
    labNickName = Value(this, "labNickName", 86);
    labSourcePort = Value(this, "labSourcePort", 105);

    memMessage = new QPlainTextEdit(this);
    memMessage->setObjectName("memMessage");
    memMessage->setGeometry(9, 147, 334, 56);
    memMessage->setFrameShape(QFrame::NoFrame);
    memMessage->setReadOnly(true);
    memMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memMessage->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette palette = memMessage->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 128));
    memMessage->setPalette(palette);
    // The memo is the only control that takes the focus.
    memMessage->setFocus();
}

void TfrmMessageViewer::ShowRow(const QAbstractItemModel& model, int row) {
    const auto cell = [&](int column) {
        return row >= 0 && row < model.rowCount() ? model.index(row, column).data().toString() : QString();
    };
    labUserID->setText(cell(ColName));
    labDateTime->setText(cell(ColDate));
    labIPAddress->setText(cell(ColAliasIp));
    labID_RFC->setText(cell(ColSourceLevel));
    labNickName->setText(cell(ColTag));
    labSourcePort->setText(cell(ColPort));
    memMessage->appendPlainText(cell(ColMessage));
}

} // namespace qm
