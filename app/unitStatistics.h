// Reception statistics: every counter of reception's health, and the senders
// and priorities no list knows, each of which can be added to its list.
// Non-modal; the main window refreshes it once a second.
#pragma once

#include "reception/ReceptionHealth.h"
#include "reception/SeenSenders.h"
#include "settings/ui/unitOptions.h"

#include <QDialog>

#include <map>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qm {

class TfrmStatistics : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStatistics(QWidget* parent = nullptr);

    void Refresh(const ReceptionHealth& health, const SeenList& senders, const SeenList& priorities);

protected:
    void showEvent(QShowEvent* event) override;

signals:
    // "Add to list...": the options on `page` with a new row holding `value`.
    void AddToList(TfrmOptions::Page page, const std::string& value);

private:
    QLabel* Figure(const char* name);
    void FillSeen(QTableWidget* table, const SeenList& seen);

    std::map<std::string, QLabel*> figures_;
    QTableWidget* grdUnlistedSenders = nullptr;
    QTableWidget* grdUnlistedPriorities = nullptr;
    QTableWidget* grdListeners = nullptr;
    QTableWidget* grdTcpConnections = nullptr;
    QPushButton* btnAddSender = nullptr;
    QPushButton* btnAddPriority = nullptr;
};

// "1234 msg/s", and the loss in red once anything was lost.
QString HealthPanelText(const ReceptionHealth& health);

} // namespace qm
