// The about window.
#pragma once

#include <QDialog>

class QPushButton;

namespace qm {

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

private:
    QPushButton* btnClose = nullptr;
};

} // namespace qm
