// Message properties: one table row, field by field, as a snapshot.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPlainTextEdit;
class QAbstractItemModel;
class QTreeWidget;

namespace qm {

class TfrmMessageViewer : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMessageViewer(QWidget* parent = nullptr);

    // Copies row `row` of the table model (an empty row gives empty fields).
    void ShowRow(const QAbstractItemModel& model, int row);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* page_ = nullptr;
    QLabel *labUserID = nullptr, *labDateTime = nullptr, *labIPAddress = nullptr, *labID_RFC = nullptr,
           *labNickName = nullptr, *labSourcePort = nullptr;
    QPlainTextEdit* memMessage = nullptr;
    QLabel* labStructuredForm = nullptr;
    QTreeWidget* treStructured = nullptr;

    void ShowStructured(const std::string& text, bool reconstructed, bool tooLong);
    void ShowStructuredFields(const std::string& text, bool reconstructed, bool tooLong);
};

} // namespace qm
