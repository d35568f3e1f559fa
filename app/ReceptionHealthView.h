// Reception's health, as a feature of its own: the rate panel of the status
// bar (the loss in red once anything was lost), refreshed once a second, and
// the Reception statistics window with every counter and the senders and
// priorities no list knows, each of which can be added to its list.
#pragma once

#include "reception/ReceptionHealth.h"
#include "settings/ui/unitOptions.h"

#include <QObject>

#include <memory>
#include <string>

class QAction;
class QElapsedTimer;
class QLabel;
class QWidget;

namespace qm {

class Reception;
class Listeners;
class TfrmStatistics;

class ReceptionHealthView : public QObject {
    Q_OBJECT
public:
    ReceptionHealthView(const Reception& reception, const Listeners& listeners, QWidget* window);
    ~ReceptionHealthView() override;

    // View, "Reception statistics".
    QAction* Action() const { return actStatistics_; }
    // The rate panel, for the status bar.
    QLabel* Panel() const { return panel_; }
    ReceptionHealth Health() const;
    // The statistics window, when it is open, shows what is now.
    void Refresh();

signals:
    // "Add to list..." in the statistics window.
    void AddToList(TfrmOptions::Page page, const std::string& value);

private:
    void Sample();
    void Open();

    const Reception& reception_;
    const Listeners& listeners_;
    QWidget* window_;
    QAction* actStatistics_;
    QLabel* panel_;
    RateMeter rate_;
    std::unique_ptr<QElapsedTimer> sinceSample_;
    TfrmStatistics* statistics_ = nullptr;
};

} // namespace qm
