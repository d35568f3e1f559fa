#include "RegistryEditor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QThread>

#ifdef _WIN32
#include "RegeditCommand.h"

#include <windows.h>
#endif

namespace qm {

#ifdef _WIN32

EditorRun RunRegistryEditor(const QString& /*editor*/, const QString& file) {
    const QByteArray path = file.toLocal8Bit();
    char shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(path.constData(), shortPath, sizeof shortPath);
    // A path with no short form is passed as it is.
    std::string commandLine = RegeditCommandLine(n > 0 && n < sizeof shortPath ? std::string(shortPath, n)
                                                                               : path.toStdString());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EditorRun run;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return run;
    run.started = true;
    CloseHandle(process.hThread);
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    run.exitCode = static_cast<int>(code);
    return run;
}

#else

EditorRun RunRegistryEditor(const QString& editor, const QString& file) {
    QProcess process;
    process.setProgram(editor);
    process.setArguments({file});
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    EditorRun run;
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
