// Options export to a file, import through the registry editor, and
// deleting the options from the registry.
#include "settings/OptionsExport.h"
#include "platform/FileAccess.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/RegistryEditor.h"
#include "settings/SettingsStore.h"
#include "app/unitUdp_Ui.h"

#include <QAction>

namespace qm {

void TfrmUDP::actExportOptionsExecute() {
    const std::optional<QString> file = services_.dialogs.SaveFile(
        this, {"Saving Options from Registry to Quillmere opt file", QString(), "SysLog.qmr",
               "Quillmere opt files (*.qmr)|*.qmr|AllFiles (*.*)|*.*"});
    if (!file) return;
    // A full disk or a failed write leaves the file that was there as it was.
    if (!WriteWholeFile(StoredText(*file), BuildExportFile(options_)))
        ShowErrorBox(services_.dialogs, this, "Cannot create file " + *file);
}

void TfrmUDP::actImportOptionsExecute() {
    const std::optional<QString> file =
        services_.dialogs.OpenFile(this, {"Add Quillmere opt file to Registry", QString(), "SysLog.qmr",
                                          "Quillmere opt files (*.qmr)|*.qmr|All files (*.*)|*.*"});
    if (!file) return;
    // Waiting for the editor keeps the reload, and the save at shutdown,
    // from seeing the values from before the import.
    ui->actImportOptions->setEnabled(false);
    const EditorRun run = RunRegistryEditor(DisplayText(services_.registryEditor), *file);
    ui->actImportOptions->setEnabled(true);
    if (!run.started || run.exitCode != 0) {
        services_.dialogs.ShowMessage(this, "Error load Quillmere opt",
                                      "Error occured durring load \r" + *file + "\rfile to Registry.",
                                      BoxIcon::Error);
        return;
    }
    services_.dialogs.ShowMessage(
        this, "Restart Quillmere",
        "Quillmere file \r" + *file +
            "\rsuccessfully load to Registry.\rWell, please close programm and execute it again.",
        BoxIcon::Information);
    if (const Result loaded = LoadOptions(services_.store, options_); !loaded) {
        ShowErrorBox(services_.dialogs, this, DisplayText(loaded.error));
        return;
    }
    // The filter explorer's items stand for the list entries by index, so
    // they follow the reloaded lists.
    FillFilterExplorer();
    SetTitle();
}

void TfrmUDP::actClearRegistryExecute() {
    if (!services_.dialogs.AskYesNo(this, "Registry cleaner",
                                    "Do you want to delete all program entires from Registry?",
                                    BoxIcon::Warning))
        return;
    options_.SaveBlocked = true;
    placementEnabled_ = false;
    if (const Result cleared = ClearOptions(services_.store); !cleared)
        ShowErrorBox(services_.dialogs, this, DisplayText(cleared.error));
}

} // namespace qm
