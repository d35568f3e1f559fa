#include "platform/qt/ProgramPaths.h"

#include "platform/qt/DisplayText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef _WIN32
#include "platform/WinText.h"

#include <windows.h>
#endif

namespace qm {

namespace {

#ifdef _WIN32

std::optional<std::wstring> ShortForm(const std::wstring& path) {
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring out(n, L'\0');
    const DWORD got = GetShortPathNameW(path.c_str(), out.data(), n);
    if (got == 0 || got >= n) return std::nullopt;
    out.resize(got);
    return out;
}

std::optional<std::string> Ansi(const std::wstring& wide) {
    std::string out;
    if (!WideToAnsi(wide, out)) return std::nullopt;
    return out;
}

// Short names can be off on a volume: a short form is used only when the
// code page can hold it.
std::optional<std::string> ShortAnsi(const std::wstring& path) {
    const std::optional<std::wstring> shortPath = ShortForm(path);
    return shortPath ? Ansi(*shortPath) : std::nullopt;
}

#endif

} // namespace

std::optional<std::string> PathBytes(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
#ifdef _WIN32
    const std::wstring wide = native.toStdWString();
    if (std::optional<std::string> plain = Ansi(wide)) return plain;
    if (std::optional<std::string> shortPath = ShortAnsi(wide)) return shortPath;
    // A file not made yet has no short form; its folder may.
    const QFileInfo info(native);
    const std::optional<std::string> name = Ansi(info.fileName().toStdWString());
    const std::optional<std::string> folder = ShortAnsi(QDir::toNativeSeparators(info.absolutePath()).toStdWString());
    if (name && folder) return *folder + "\\" + *name;
    return std::nullopt;
#else
    return StoredText(native);
#endif
}

std::string FilePath(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
#ifdef _WIN32
    return native.toStdString();
#else
    return StoredText(native);
#endif
}

QString ShownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

namespace {

bool SameFolder(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString InstalledProgramDir() {
    return QStringLiteral(QM_INSTALLED_BINDIR);
}

ProgramFolder LocateProgramIn(const QString& folder, const QString& installedDir) {
    ProgramFolder located;
    if (!installedDir.isEmpty() && SameFolder(folder, installedDir)) {
        // Installed: the program's folder belongs to the system, not the user.
        located.dir = StoredText(QDir::toNativeSeparators(folder));
        const QString parent =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/tovrel/Ferrowick";
        if (QDir().mkpath(parent)) {
            located.defaultLogDir = StoredText(QDir::toNativeSeparators(parent + "/Log"));
            return located;
        }
        located.problem = "The log files have no folder: " + QDir::toNativeSeparators(parent) +
                          " cannot be made. Choose a log folder in Options (F9), General page.";
        return located;
    }
    if (std::optional<std::string> dir = PathBytes(folder)) {
        located.dir = *dir;
        located.defaultLogDir = located.dir + static_cast<char>(QDir::separator().toLatin1()) + "Log";
        return located;
    }
    located.dir = StoredText(QDir::toNativeSeparators(folder)); // as near as the code page comes
#ifdef _WIN32
    // %LOCALAPPDATA%\tovrel\Ferrowick\Log, made now so that it has a short form.
    const QString appData = qEnvironmentVariable("LOCALAPPDATA");
    const QString log = QDir::toNativeSeparators(appData + "/tovrel/Ferrowick/Log");
    if (!appData.isEmpty() && QDir().mkpath(log))
        if (std::optional<std::string> shortLog = ShortAnsi(log.toStdWString())) {
            located.defaultLogDir = *shortLog;
            return located;
        }
#endif
    located.problem = "The log files have no folder: the name of the program's folder " +
                      QDir::toNativeSeparators(folder) +
                      " has letters this system's code page cannot hold. Choose a log folder in Options (F9), "
                      "General page, or move the program to another folder.";
    return located;
}

ProgramFolder LocateProgram() {
    return LocateProgramIn(QCoreApplication::applicationDirPath(), InstalledProgramDir());
}

std::string RegistryEditorPath() {
#ifdef _WIN32
    return "regedit.exe";
#else
    return StoredText(QCoreApplication::applicationDirPath()) + "/ferrowick-reg";
#endif
}

} // namespace qm
