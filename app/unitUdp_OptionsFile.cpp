// Options export to a file, import through the registry editor, and
// deleting the options from the registry.
#include "settings/OptionsExport.h"
#include "platform/FileAccess.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/ProgramPaths.h"
#include "platform/qt/RegistryEditor.h"
#include "settings/SettingsStore.h"
#include "app/unitUdp_Ui.h"
#include "platform/qt/BoxGate.h"

#include <QAction>

namespace qm {

void TfrmUDP::actExportOptionsExecute() {
    const std::optional<QString> chosen = boxes_->SaveFile(
        this, {"Saving Options from Registry to Quillmere opt file", QString(), "SysLog.qmr",
               "Quillmere opt files (*.qmr)|*.qmr|AllFiles (*.*)|*.*"});
    if (!chosen) return;
    const QString file = ShownPath(*chosen);
    // A full disk or a failed write leaves the file that was there as it was.
    const std::optional<std::string> path = PathBytes(file);
    if (!path || !WriteWholeFile(*path, BuildExportFile(options_)))
        ShowErrorBox(*boxes_, this, "Cannot create file " + file);
}

void TfrmUDP::actImportOptionsExecute() {
    const std::optional<QString> chosen =
        boxes_->OpenFile(this, {"Add Quillmere opt file to Registry", QString(), "SysLog.qmr",
                                          "Quillmere opt files (*.qmr)|*.qmr|All files (*.*)|*.*"});
    if (!chosen) return;
    const QString file = ShownPath(*chosen);
    // Waiting for the editor keeps the reload, and the save at shutdown,
    // from seeing the values from before the import.
    ui->actImportOptions->setEnabled(false);
    const ProgramRun run = RunRegistryEditor(DisplayText(services_.registryEditor), file);
    ui->actImportOptions->setEnabled(true);
    if (!run.started || run.exitCode != 0) {
        boxes_->ShowMessage(this, "Error load Quillmere opt",
                                      "Error occured durring load \r" + file + "\rfile to Registry.",
                                      BoxIcon::Error);
        return;
    }
    boxes_->ShowMessage(
        this, "Restart Quillmere",
        "Quillmere file \r" + file +
            "\rsuccessfully load to Registry.\rWell, please close programm and execute it again.",
        BoxIcon::Information);
    if (const Result loaded = LoadOptions(services_.store, options_); !loaded) {
        ShowErrorBox(*boxes_, this, DisplayText(loaded.error));
        return;
    }
    // The filter explorer's items stand for the list entries by index, so
    // they follow the reloaded lists.
    reception_->ForgetListed();
    FillFilterExplorer();
    SetTitle();
}

void TfrmUDP::actClearRegistryExecute() {
    if (!boxes_->AskYesNo(this, "Registry cleaner",
                                    "Do you want to delete all program entires from Registry?",
                                    BoxIcon::Warning))
        return;
    options_.SaveBlocked = true;
    placementEnabled_ = false;
    if (const Result cleared = ClearOptions(services_.store); !cleared)
        ShowErrorBox(*boxes_, this, DisplayText(cleared.error));
}

} // namespace qm
