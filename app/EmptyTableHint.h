// A line drawn over a table's empty area while it has no row: what to do to
// see something there. Not a row of the table; gone with the first row.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QWidget;
class QTableView;

namespace qm {

class EmptyTableHint : public QObject {
    Q_OBJECT
public:
    // `view` has its model already; `empty` says whether it shows no row
    // (a table may keep a blank row of its own).
    EmptyTableHint(QTableView* view, std::function<bool()> empty);
    void SetText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update();

    QTableView* view_;
    QWidget* viewport_;
    std::function<bool()> empty_;
    QLabel* label_;
};

} // namespace qm
