// The main window: the one window that lives for the whole run. It shows
// what reception reports (the live table, the filter explorer, the title and
// the status bar), carries out the operator's commands, and decides what
// closing means and what is saved.
#pragma once

#include "platform/Clock.h"
#include "platform/KeyStore.h"
#include "platform/qt/Dialogs.h"
#include "reception/Reception.h"
#include "reception/ReceptionHealth.h"
#include "settings/Options.h"
#include "settings/ui/unitOptions.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>

class QListWidgetItem;
class QTableView;

namespace qm {

class BoxGate;
class EmptyTableHint;
class FindInTables;
class IncrementalColumnSizer;
class LogFileOpening;
class LogViewerModel;
class OptionsTransfer;
class PlacementStore;
class ProcessTableModel;
class ReceptionHealthView;
class Listeners;
class TNMUDP;

// What the window is given rather than finds for itself.
struct MainWindowServices {
    KeyStore& store;
    const Clock& clock;
    DialogService& dialogs;
    std::string programDir{};
    // Tests that need no socket leave the port unbound.
    bool bindReceiver = true;
    // The registry editor the import starts (ferrowick-reg beside the program
    // on Linux; regedit.exe on Windows).
    std::string registryEditor{};
    // How long Open Log-file reads before it shows its progress.
    int logProgressAfterMs = 1000;
    // The log folder when none is stored; empty: the program's folder and "Log".
    std::string defaultLogDir{};
    // Set when no default log folder can be named: the box that says so.
    QString logDirProblem{};
};

class TfrmUDP : public QMainWindow {
    Q_OBJECT
public:
    // Runs the start-up sequence; the placement store restores at first show.
    explicit TfrmUDP(MainWindowServices services, QWidget* parent = nullptr);
    ~TfrmUDP() override;

    // Shutdown (F10, the tray menu): saves the options and the placement and
    // ends the program; a failure to save is shown.
    void Shutdown();
    // The end of the operator's session: the same, but nobody is there to
    // answer a box, so failures go to the error file and the exit status.
    void EndSession();
    // A second start of the program asked for this one: the window shows,
    // out of the tray and un-minimised, and asks to be in front.
    void ComeForward();
    // The options dialog on `page`; OK takes its edits over. With `newRow`,
    // the ID or IP page opens with a new row holding it.
    void OpenOptionsDialog(TfrmOptions::Page page, const std::optional<std::string>& newRow = std::nullopt);

    // What the operator sees and the program runs on.
    const Options& CurrentOptions() const { return options_; }
    bool Listening() const { return listening_; }
    // The port the receiver listens on (the one the title names), or 0.
    int ListeningPort() const;
    const Reception& ReceptionState() const { return *reception_; }
    // The view catches up with the rows now, as it does every ~50 ms.
    void FlushProcessTable();
    // Whether Open Log-file is still reading or measuring a file.
    bool LoadingLog() const;
    // Reception's health as the status bar and the statistics show it.
    ReceptionHealth Health() const;

signals:
    // A close was granted: the program ends with this status.
    void Closed(int exitStatus);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

public:
    // The widgets and commands (unitUdp_Ui.h); the window keeps them to itself.
    struct Ui;

private:
    // The window's make-up (unitUdp_Layout.cpp), in this order: its own
    // commands, the panes, the status bar and tray, the features, then the
    // menus and the tool bar that hold everybody's commands.
    void BuildActions();
    void BuildClientArea();
    void BuildStatusAndTray();
    void BuildFeatures();
    void BuildMenus();
    void BuildToolBar();
    void ConnectCommands();
    void StartUp();

    // The receiver's handler: one datagram of a run, as far as its log line.
    void oUdpDataReceived(const Datagram& datagram);
    // The run's end: its lines written, its rows shown, its failures reported.
    void oUdpRunEnded();
    void actStartProcessExecute();
    void actEditClearProcessGridExecute();
    void actMessageViewerExecute();
    void mnuPopup1Click();
    void clbFilterClickCheck(QListWidgetItem* item);

    void FillFilterExplorer();
    void SetTitle();
    void ShowRecordCount(int page);
    // Takes over what the options dialog's OK confirmed, in its order.
    void ApplyOptions(const OptionsEdit& edit);
    // The lists changed (OK, an import): what shows them follows.
    void ListsChanged();
    // A granted close: what was received is handed to the day files first.
    void HandOverAtClose();
    // An import reloaded the options: what it changed of the listening is
    // bound as at OK, all or nothing.
    void ImportTaken();
    bool PrepareDayFilesForced();
    // Shows the failure in the standard error box after the current event,
    // once no other box is open; a repeat of a text open or waiting is dropped.
    void ReportError(const QString& message);
    void LogDirectoryFailed();
    // A failure while ending: a box for the operator's own Shutdown, the
    // error file at the end of the session.
    void CloseFailure(const QString& message);

    MainWindowServices services_;
    Options options_;
    std::unique_ptr<Reception> reception_;
    std::unique_ptr<Ui> ui;
    BoxGate* boxes_; // every box goes through it: one at a time, none lost
    Listeners* listeners_ = nullptr;
    TNMUDP* oUdp = nullptr; // the defined receiver: UDP on IPv4
    ProcessTableModel* processModel_ = nullptr;
    LogViewerModel* viewerModel_ = nullptr;
    std::unique_ptr<IncrementalColumnSizer> sizer_;

    // The features, each of its own (BuildFeatures wires them).
    FindInTables* find_ = nullptr;
    ReceptionHealthView* health_ = nullptr;
    LogFileOpening* logOpening_ = nullptr;
    OptionsTransfer* transfer_ = nullptr;
    EmptyTableHint* processHint_ = nullptr;
    std::unique_ptr<PlacementStore> placement_;

    bool listening_ = false;
    bool exitRequested_ = false;
    bool sessionEnding_ = false;
    int exitStatus_ = 0;
    bool placementRestored_ = false;
    bool loadFailed_ = false;
    bool shutdownBoxScheduled_ = false;
    bool filling_ = false;
    // An import whose ports could not be had now: saved at the end, so that
    // they take effect at the next start, while the options in memory say
    // what is listened on.
    struct ImportedListening {
        int port;
        NetworkOptions network;
    };
    std::optional<ImportedListening> importedListening_;
};

// "dd:mm:yyyy - Quillmere Light [Udp/514 Listener] - Stopped"
QString MainWindowTitle(const DateTime& userDate, int port, bool listening);

} // namespace qm
