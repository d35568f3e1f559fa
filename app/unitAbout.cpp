#include "app/unitAbout.h"

#include "platform/qt/Dialogs.h"

#include "app/AppImages.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace qm {

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About Quillmere");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    setFixedSize(315, 94);

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 0, 315, 94);

    auto* iconFrame = new QFrame(this);
    iconFrame->setObjectName("pnlIcon");
    iconFrame->setFrameShape(QFrame::Panel);
    iconFrame->setFrameShadow(QFrame::Raised);
    iconFrame->setGeometry(8, 8, 34, 34);
    auto* icon = new QLabel(iconFrame);
    icon->setPixmap(ApplicationIcon().pixmap(17, 16));
    icon->setGeometry(8, 9, 17, 16);

    auto* name = new QLabel("Quillmere Light", this);
    name->setObjectName("labProductName");
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->move(52, 10);
    name->adjustSize();
    auto* version = new QLabel("Version 1.0", this);
    version->setObjectName("labVersion");
    version->move(52, 28);
    version->adjustSize();
    auto* purpose = new QLabel("A syslog receiver for one workstation", this);
    purpose->setObjectName("labComments");
    purpose->move(52, 44);
    purpose->adjustSize();

    btnClose = new QPushButton("OK", this);
    btnClose->setObjectName("btnClose");
    btnClose->setGeometry(234, 63, 75, 25);
    QFont small = btnClose->font();
    small.setPixelSize(9);
    btnClose->setFont(small);
    // Default and cancel button at once: Enter, Escape and a click all close.
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace qm
