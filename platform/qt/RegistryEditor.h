// Starting the system's registry editor on an options file, as a separate
// process, and waiting for it while the event loop runs on.
#pragma once

#include "platform/ProgramRun.h"

#include <QString>

namespace qm {

// Linux: `editor` (ferrowick-reg from the program's folder) with the file as
// its one argument. Windows: the command line "regedit.exe " and the file's
// short path, started with CreateProcessA.
ProgramRun RunRegistryEditor(const QString& editor, const QString& file);

} // namespace qm
