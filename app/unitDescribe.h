// The description window: a fixed text about the program, in Russian.
#pragma once

#include <QDialog>

class QTextEdit;
class QLabel;

namespace qm {

class TfrmDescribe : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDescribe(QWidget* parent = nullptr);

private:
    QTextEdit* RichEdit1 = nullptr;
    QLabel* statusPanel_ = nullptr;
};

// The description, lines separated by LF.
QString DescriptionText();

} // namespace qm
