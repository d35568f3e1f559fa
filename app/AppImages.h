// The window's 21 command images (16 by 16, addressed by index; 9 and 13 are
// used by nothing and drawn as a plain frame) and the application and tray
// icon, all drawn here so the program needs no files.
#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QString>

class QAction;
class QObject;

namespace qm {

inline constexpr int kImageCount = 21;

enum ImageIndex {
    ImgOpenLog = 0,
    ImgExport = 1,
    ImgImport = 2,
    ImgOptions = 3,
    ImgAbout = 4,
    ImgClearRegistry = 5,
    ImgExit = 6,
    ImgIpFilter = 7,
    ImgIdFilter = 8,
    ImgProcess = 10,
    ImgToken = 11,
    ImgDescribe = 12,
    ImgToolBar = 14,
    ImgStatusBar = 15,
    ImgFilterExplorer = 16,
    ImgClear = 17,
    ImgMessage = 18,
    ImgPopups = 19,
    ImgViewer = 20,
};

QIcon CommandImage(int index);
// The image of Start process, in several sizes.
QIcon ApplicationIcon();

// An operator's command as the window defines them: its objectName, caption
// (with its "&" accelerator), key, image and hint (its status tip and, when
// there is one, its tool tip).
QAction* MakeCommand(QObject* owner, const char* name, const QString& caption, const QKeySequence& key, int image,
                     const QString& hint);

} // namespace qm
