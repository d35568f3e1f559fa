// Open Log-file, as a feature of its own: a day's log file read back into
// the viewer table. The file is read off the window's thread; a load that
// takes a while shows its progress and can be cancelled.
#pragma once

#include "settings/Options.h"

#include <QObject>
#include <QString>

class QAction;
class QProgressDialog;
class QTabWidget;
class QTableView;

namespace qm {

class BoxGate;
class LogFileLoad;
class LogViewerModel;

class LogFileOpening : public QObject {
    Q_OBJECT
public:
    // The viewer `grid` over `model` on page `page` of `pages`. A load that
    // ends sooner than `progressAfterMs` shows no progress.
    LogFileOpening(QTableView* grid, LogViewerModel* model, QTabWidget* pages, int page, const Options& options,
                   BoxGate& boxes, int progressAfterMs, QWidget* window);

    // File, "Open Log-file" (Ctrl+O).
    QAction* Action() const { return actOpenLog_; }
    // Whether a file is still being read or measured.
    bool Loading() const { return load_ != nullptr; }
    // The viewer back to one empty row, its memory given back; a file still
    // loading would fill it again, so it is cancelled.
    void Clear();

private:
    void actOpenLogExecute();
    void ShowProgress();
    void Finished(const QString& file);

    QTableView* grid_;
    LogViewerModel* model_;
    QTabWidget* pages_;
    int page_;
    const Options& options_;
    BoxGate& boxes_;
    int progressAfterMs_;
    QWidget* window_;
    QAction* actOpenLog_;
    LogFileLoad* load_ = nullptr;
    QProgressDialog* progress_ = nullptr;
};

} // namespace qm
