#include "ProgramPaths.h"

#include "Dialogs.h"

#include <QCoreApplication>
#include <QDir>

namespace qm {

std::string ProgramDir() {
    return ToLocal(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

std::string RegistryEditorPath() {
#ifdef _WIN32
    return "regedit.exe";
#else
    return ProgramDir() + "/ferrowick-reg";
#endif
}

} // namespace qm
