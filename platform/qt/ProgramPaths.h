// Where the program is, and the paths it names, in the system's own notation
// and in the bytes the program keeps (the ANSI code page on Windows).
#pragma once

#include <QString>

#include <optional>
#include <string>

namespace qm {

// A path in the bytes the program keeps in its stored values (the log
// folder), with the system's separators: the path itself where the code page
// can hold it; on Windows otherwise its short form (or its folder's short
// form and its name, for a file not yet made); nothing when neither can be
// written so. The one conversion of a path to the ANSI code page.
std::optional<std::string> PathBytes(const QString& path);

// A path the operator chose (a file to export to, import, or view), as the
// file functions take it: UTF-8 on Windows, opened through the wide API with
// the name as given; the system's bytes elsewhere.
std::string FilePath(const QString& path);

// A path as the operator reads it: the system's separators
// ("C:\Tools\import.qmr" on Windows).
QString ShownPath(const QString& path);

// The program's folder and the default log folder that follows from it.
struct ProgramFolder {
    std::string dir;           // without a trailing separator
    std::string defaultLogDir; // empty when none can be named
    QString problem;           // then: the operator's text, naming the folder and the way out
};

// For the program in `folder` (its executable's folder). The default log
// folder is the folder followed by "Log"; on Windows, where the folder
// cannot be named in the ANSI code page even by its short form, the short
// form of %LOCALAPPDATA%\tovrel\Ferrowick\Log, made when missing. A
// program in `installedDir`, the folder its package puts it in, cannot
// write there: its default is the user's data folder
// ($XDG_DATA_HOME/tovrel/Ferrowick/Log), whose parents are made now.
ProgramFolder LocateProgramIn(const QString& folder, const QString& installedDir = {});
// The folder the package installs the program into (/usr/bin); empty on
// Windows, where the program runs wherever it was unzipped.
QString InstalledProgramDir();
// The running program's.
ProgramFolder LocateProgram();

// The registry editor the import starts: ferrowick-reg beside the program on
// Linux; on Windows the system's regedit.exe.
std::string RegistryEditorPath();

} // namespace qm
