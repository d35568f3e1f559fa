#include "platform/qt/RegistryEditor.h"

#include "platform/qt/DisplayText.h"
#include "platform/qt/ProgramPaths.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QThread>

#ifdef _WIN32
#include "platform/RegeditProcess.h"
#endif

namespace qm {

#ifdef _WIN32

ProgramRun RunRegistryEditor(const QString& /*editor*/, const QString& file) {
    return RunRegedit(FilePath(file),
                      [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
}

#else

ProgramRun RunRegistryEditor(const QString& editor, const QString& file) {
    QProcess process;
    process.setProgram(editor);
    process.setArguments({file});
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    ProgramRun run;
    run.commandLine = StoredText(editor + " " + file);
    QEventLoop loop;
    bool failedToStart = false;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    process.start();
    // Datagrams and repaints go on while the editor works.
    if (!failedToStart) loop.exec();
    if (failedToStart) return run;
    run.started = true;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

#endif

} // namespace qm
