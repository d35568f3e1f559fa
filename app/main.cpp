#include "KeyStore.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmere Light");
    auto store = qm::openUserKeyStore();
    qm::Options options;
    options.ProgramDir = QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
    if (auto r = qm::LoadOptions(*store, options); !r) QMessageBox::critical(nullptr, "Quillmere Light", r.error.c_str());
    if (auto r = qm::SaveOptions(*store, options); !r) QMessageBox::critical(nullptr, "Quillmere Light", r.error.c_str());
    return 0;
}
