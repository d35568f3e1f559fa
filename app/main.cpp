// Ferrowick: the program's entry. Creates the main window and runs until a
// close is granted.
#include "Clock.h"
#include "Dialogs.h"
#include "KeyStore.h"
#include "UnixSignals.h"
#include "unitUdp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(qm::kAppTitle));
    // The tray keeps the program alive while its window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    auto store = qm::openUserKeyStore();
    qm::SystemClock clock;
    qm::QtDialogService dialogs;
    const std::string programDir = qm::ToLocal(QCoreApplication::applicationDirPath());
    qm::MainWindowServices services{*store, clock, dialogs, programDir, true, programDir + "/ferrowick-reg"};
    qm::TfrmUDP window(services);
    QObject::connect(&window, &qm::TfrmUDP::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
    qm::UnixSignals unixSignals;
    QObject::connect(&unixSignals, &qm::UnixSignals::Terminate, &window, &qm::TfrmUDP::Shutdown);
    window.show();
    return app.exec();
}
