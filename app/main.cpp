// Ferrowick: the program's entry. Creates the main window and runs until a
// close is granted.
#include "platform/Clock.h"
#include "platform/qt/Dialogs.h"
#include "platform/KeyStore.h"
#include "platform/qt/ProgramPaths.h"
#include "platform/InstanceName.h"
#include "platform/qt/SessionEnd.h"
#include "platform/qt/SingleInstance.h"
#include "platform/SessionSignals.h"
#include "app/unitUdp.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    // First of all: the end of the session must never cut the start short.
    qm::SessionEnd::Install();
    qm::IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(qm::kAppTitle));
    // The tray keeps the program alive while its window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    // Ended before the window exists: nothing has been loaded, nothing to save.
    if (qm::SessionEnd::Requested()) return 0;
    // One copy per user: a second start brings the first forward and ends
    // before it reads or writes anything.
    qm::SingleInstance single(QString::fromStdString(qm::UserInstanceName()));
    if (!single.Claim()) return 0;

    if (qm::SessionEnd::Requested()) return 0; // the claim may have taken a while
    auto store = qm::OpenUserKeyStore();
    qm::SystemClock clock;
    qm::QtDialogService dialogs;
    const qm::ProgramFolder program = qm::LocateProgram();
    qm::MainWindowServices services{.store = *store,
                                    .clock = clock,
                                    .dialogs = dialogs,
                                    .programDir = program.dir,
                                    .registryEditor = qm::RegistryEditorPath(),
                                    .defaultLogDir = program.defaultLogDir,
                                    .logDirProblem = program.problem};
    if (qm::SessionEnd::Requested()) return 0; // still nothing loaded
    qm::TfrmUDP window(services);
    QObject::connect(
        &window, &qm::TfrmUDP::Closed, &app, [](int status) { QCoreApplication::exit(status); },
        Qt::QueuedConnection);
    // The status the close ended with, once it did.
    int closedWith = -1;
    QObject::connect(&window, &qm::TfrmUDP::Closed, &app, [&closedWith](int status) { closedWith = status; });
    qm::SessionEnd sessionEnd;
    QObject::connect(&sessionEnd, &qm::SessionEnd::Ending, &window, [&window, &closedWith] {
        window.EndSession();
        // Closed and saved: where the system ends a program soon after the
        // session's end (Windows), it ends now, with its status.
        if (closedWith >= 0) qm::EndProcessForSession(closedWith);
    });
    QObject::connect(&single, &qm::SingleInstance::ComeForward, &window, &qm::TfrmUDP::ComeForward);
    // Ended while the window was being made: it was never shown, so the
    // operator changed nothing that a save would keep.
    if (qm::SessionEnd::Requested()) return 0;
    window.show();
    // The load test only: QM_TEST_BLOCK_WINDOW="<after ms>:<for ms>" holds the
    // window's thread once, as a long paint or a slow disk would.
    if (const char* block = std::getenv("QM_TEST_BLOCK_WINDOW")) {
        int afterMs = 0, forMs = 0;
        if (std::sscanf(block, "%d:%d", &afterMs, &forMs) == 2)
            QTimer::singleShot(afterMs, &window, [forMs] { std::this_thread::sleep_for(std::chrono::milliseconds(forMs)); });
    }
    return app.exec();
}
