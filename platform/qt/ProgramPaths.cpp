#include "platform/qt/ProgramPaths.h"

#include "platform/qt/DisplayText.h"

#include <QCoreApplication>
#include <QDir>

namespace qm {

std::string ProgramDir() {
    return StoredText(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

std::string RegistryEditorPath() {
#ifdef _WIN32
    return "regedit.exe";
#else
    return ProgramDir() + "/ferrowick-reg";
#endif
}

} // namespace qm
