// The options to and from a file and out of the store, as a feature of its
// own: Export writes the options in memory to a .qmr file, Import merges a
// file into the store through the registry editor and reloads, Delete clears
// the store and blocks every later save.
#pragma once

#include "platform/KeyStore.h"
#include "settings/Options.h"

#include <QObject>

#include <string>

class QAction;
class QWidget;

namespace qm {

class BoxGate;

class OptionsTransfer : public QObject {
    Q_OBJECT
public:
    // `registryEditor`: the program the import starts.
    OptionsTransfer(Options& options, KeyStore& store, BoxGate& boxes, std::string registryEditor, QWidget* window);

    QAction* ExportAction() const { return actExportOptions_; }
    QAction* ImportAction() const { return actImportOptions_; }
    QAction* ClearAction() const { return actClearRegistry_; }

signals:
    // The options were loaded again from the store after an import.
    void Reloaded();
    // The store was cleared: nothing may be saved any more, the placement neither.
    void Cleared();

private:
    void actExportOptionsExecute();
    void actImportOptionsExecute();
    void actClearRegistryExecute();

    Options& options_;
    KeyStore& store_;
    BoxGate& boxes_;
    std::string registryEditor_;
    QWidget* window_;
    QAction* actExportOptions_;
    QAction* actImportOptions_;
    QAction* actClearRegistry_;
};

} // namespace qm
