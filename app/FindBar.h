// The find bar under the tables: a text field, "Match case", next and
// previous, and a note (where the search wrapped, or that nothing matches).
// Enter finds the next match, Shift+Enter the previous, Esc closes.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qm {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar with the field focused and its text selected.
    void Open();
    QString Text() const;
    bool MatchCase() const;
    void SetNote(const QString& note);

signals:
    void Search(bool forward);
    // The text or "Match case" changed: the highlights follow.
    void Changed();
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edtFind = nullptr;
    QCheckBox* chkMatchCase = nullptr;
    QLabel* labFindNote = nullptr;
};

} // namespace qm
