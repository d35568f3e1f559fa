// Writes the program's icon, as the window draws it: to a Windows icon file
// (the .exe's icon resource, one PNG-encoded image per size), or as the PNG
// files of a freedesktop icon theme (the Linux package's menu icon).
//
//   ferrowick-icon OUT.ico
//   ferrowick-icon --hicolor DIR     DIR/<n>x<n>/apps/ferrowick.png, 16 to 256
#include "app/AppImages.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QIcon>

#include <cstdio>

namespace {

void Put16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(QByteArray& out, qint64 v) {
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>((v >> 16) & 0xFFFF));
}

int WriteHicolor(const QIcon& icon, const QString& dir) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1/%2x%2/apps").arg(dir).arg(size);
        const QString file = folder + "/ferrowick.png";
        if (!QDir().mkpath(folder) || !icon.pixmap(size, size).toImage().save(file, "PNG")) {
            std::fprintf(stderr, "ferrowick-icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QIcon icon = qm::ApplicationIcon();
    if (argc == 3 && QByteArray(argv[1]) == "--hicolor") return WriteHicolor(icon, QString::fromLocal8Bit(argv[2]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: ferrowick-icon OUT.ico\n       ferrowick-icon --hicolor DIR\n");
        return 2;
    }
    const int sizes[] = {16, 24, 32, 48, 64, 256};
    QList<QByteArray> images;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        icon.pixmap(size, size).toImage().save(&buffer, "PNG");
        images << png;
    }
    // ICONDIR, then one ICONDIRENTRY per image, then the images.
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1); // icon
    Put16(out, static_cast<int>(images.size()));
    qint64 offset = 6 + 16 * images.size();
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int size = sizes[i];
        out.append(static_cast<char>(size >= 256 ? 0 : size)); // 0 stands for 256
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append('\0'); // no palette
        out.append('\0');
        Put16(out, 1);  // planes
        Put16(out, 32); // bits per pixel
        Put32(out, images[i].size());
        Put32(out, offset);
        offset += images[i].size();
    }
    for (const QByteArray& png : images)
        out.append(png);
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        std::fprintf(stderr, "ferrowick-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
