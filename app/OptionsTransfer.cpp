#include "app/OptionsTransfer.h"

#include "app/AppImages.h"
#include "platform/FileAccess.h"
#include "platform/qt/BoxGate.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/ProgramPaths.h"
#include "platform/qt/RegistryEditor.h"
#include "settings/OptionsExport.h"
#include "settings/SettingsStore.h"

#include <QAction>

namespace qm {

OptionsTransfer::OptionsTransfer(Options& options, KeyStore& store, BoxGate& boxes, std::string registryEditor,
                                 QWidget* window)
    : QObject(window), options_(options), store_(store), boxes_(boxes), registryEditor_(std::move(registryEditor)),
      window_(window),
      // Ctrl+E is shown beside the caption, but the key belongs to Clear
      // current listing: this shortcut only answers while the action's own
      // widget has the focus, which never happens.
      actExportOptions_(MakeCommand(window, "actExportOptions", "&Export options to Quillmere opt file...",
                                    QKeySequence(Qt::CTRL | Qt::Key_E), ImgExport, "Export Options")),
      actImportOptions_(MakeCommand(window, "actImportOptions",
                                    "&Import options from Quillmere opt file to Registry...",
                                    QKeySequence(Qt::CTRL | Qt::Key_I), ImgImport, "Import Options")),
      actClearRegistry_(MakeCommand(window, "actClearRegistry", "Delete options from &Registry ",
                                    QKeySequence(Qt::CTRL | Qt::Key_D), ImgClearRegistry,
                                    QString::fromUtf8("\u0421lear Registry"))) {
    actExportOptions_->setShortcutContext(Qt::WidgetShortcut);
    connect(actExportOptions_, &QAction::triggered, this, &OptionsTransfer::actExportOptionsExecute);
    connect(actImportOptions_, &QAction::triggered, this, &OptionsTransfer::actImportOptionsExecute);
    connect(actClearRegistry_, &QAction::triggered, this, &OptionsTransfer::actClearRegistryExecute);
}

void OptionsTransfer::actExportOptionsExecute() {
    const std::optional<QString> chosen =
        boxes_.SaveFile(window_, {"Saving Options from Registry to Quillmere opt file", QString(), "SysLog.qmr",
                                  "Quillmere opt files (*.qmr)|*.qmr|AllFiles (*.*)|*.*"});
    if (!chosen) return;
    const QString file = ShownPath(*chosen);
    // A full disk or a failed write leaves the file that was there as it was.
    if (!WriteWholeFile(FilePath(file), BuildExportFile(options_)))
        ShowErrorBox(boxes_, window_, "Cannot create file " + file);
}

void OptionsTransfer::actImportOptionsExecute() {
    const std::optional<QString> chosen =
        boxes_.OpenFile(window_, {"Add Quillmere opt file to Registry", QString(), "SysLog.qmr",
                                  "Quillmere opt files (*.qmr)|*.qmr|All files (*.*)|*.*"});
    if (!chosen) return;
    const QString file = ShownPath(*chosen);
    // Waiting for the editor keeps the reload, and the save at shutdown,
    // from seeing the values from before the import.
    actImportOptions_->setEnabled(false);
    const ProgramRun run = RunRegistryEditor(DisplayText(registryEditor_), file);
    actImportOptions_->setEnabled(true);
    if (!run.started || run.exitCode != 0) {
        boxes_.ShowMessage(window_, "Error load Quillmere opt",
                           "Error occured durring load \r" + file + "\rfile to Registry.", BoxIcon::Error);
        return;
    }
    boxes_.ShowMessage(window_, "Restart Quillmere",
                       "Quillmere file \r" + file +
                           "\rsuccessfully load to Registry.\rWell, please close programm and execute it again.",
                       BoxIcon::Information);
    if (const Result loaded = LoadOptions(store_, options_); !loaded) {
        ShowErrorBox(boxes_, window_, DisplayText(loaded.error));
        return;
    }
    emit Reloaded();
}

void OptionsTransfer::actClearRegistryExecute() {
    if (!boxes_.AskYesNo(window_, "Registry cleaner", "Do you want to delete all program entires from Registry?",
                         BoxIcon::Warning))
        return;
    options_.SaveBlocked = true;
    emit Cleared();
    if (const Result cleared = ClearOptions(store_); !cleared) ShowErrorBox(boxes_, window_, DisplayText(cleared.error));
}

} // namespace qm
