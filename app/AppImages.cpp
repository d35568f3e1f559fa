#include "app/AppImages.h"

#include <QAction>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qm {

namespace {

const QColor kInk(40, 48, 64);
const QColor kBlue(44, 110, 200);
const QColor kGreen(46, 150, 70);
const QColor kRed(200, 50, 45);
const QColor kAmber(230, 160, 30);
const QColor kPaper(250, 250, 245);

void Page(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 9, 13));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y = 5; y <= 11; y += 2)
        p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c) {
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head{to + d * 1.5, to - d * 3 + n * 3, to - d * 3 - n * 3};
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(head);
}

void Funnel(QPainter& p, const QColor& c) {
    QPolygonF f{{1.5, 2.5}, {14.5, 2.5}, {9.5, 8.5}, {9.5, 14.5}, {6.5, 12.5}, {6.5, 8.5}};
    p.setPen(QPen(kInk, 1));
    p.setBrush(c);
    p.drawPolygon(f);
}

void Window(QPainter& p, const QColor& band, bool top) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRect(top ? QRectF(2, 3, 12, 3) : QRectF(2, 10, 12, 3));
}

void Draw(QPainter& p, int index) {
    switch (index) {
    case ImgOpenLog: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kAmber);
        p.drawPolygon(QPolygonF{{1.5, 4.5}, {6.5, 4.5}, {7.5, 5.5}, {14.5, 5.5}, {14.5, 13.5}, {1.5, 13.5}});
        p.setBrush(QColor(250, 205, 90));
        p.drawPolygon(QPolygonF{{3.5, 8.5}, {15.5, 8.5}, {13.5, 13.5}, {1.5, 13.5}});
        break;
    }
    case ImgExport:
        Page(p);
        Arrow(p, {8, 9}, {14, 9}, kGreen);
        break;
    case ImgImport:
        Page(p);
        Arrow(p, {15, 9}, {9, 9}, kBlue);
        break;
    case ImgOptions: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(110, 120, 135));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(i * 45);
            p.drawRect(QRectF(-1.5, -7, 3, 3));
            p.restore();
        }
        p.drawEllipse(QPointF(8, 8), 5, 5);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(8, 8), 2, 2);
        break;
    }
    case ImgAbout:
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 7, 2, 5));
        p.drawEllipse(QRectF(7, 3.5, 2, 2));
        break;
    case ImgClearRegistry:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(200, 210, 225));
        p.drawRect(QRectF(2.5, 3.5, 11, 10));
        p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 6), QPointF(11, 12));
        p.drawLine(QPointF(11, 6), QPointF(5, 12));
        break;
    case ImgExit:
        p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 3, 11, 11), 120 * 16, 300 * 16);
        p.drawLine(QPointF(8, 1.5), QPointF(8, 8));
        break;
    case ImgIpFilter:
        Funnel(p, QColor(120, 180, 235));
        p.setPen(QPen(kBlue, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(12.5, 12.5), 3, 3);
        break;
    case ImgIdFilter:
        Funnel(p, QColor(140, 210, 140));
        p.setPen(QPen(kGreen, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(10.5, 10.5, 5, 5));
        break;
    case ImgProcess: {
        // A receiving antenna with its waves.
        p.setPen(QPen(kGreen, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 1, 10, 10), 30 * 16, 120 * 16);
        p.drawArc(QRectF(5, 3, 6, 6), 30 * 16, 120 * 16);
        p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 7), QPointF(8, 14.5));
        p.drawLine(QPointF(5, 14.5), QPointF(11, 14.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(8, 6.5), 1.6, 1.6);
        break;
    }
    case ImgToken:
        p.setPen(QPen(kAmber.darker(130), 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(5, 8), 3, 3);
        p.drawLine(QPointF(8, 8), QPointF(15, 8));
        p.drawLine(QPointF(13, 8), QPointF(13, 11));
        p.drawLine(QPointF(11, 8), QPointF(11, 10));
        break;
    case ImgDescribe:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(150, 60, 60));
        p.drawRect(QRectF(3.5, 1.5, 10, 13));
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 3.5, 6, 3));
        break;
    case ImgToolBar:
        Window(p, kBlue, true);
        break;
    case ImgStatusBar:
        Window(p, kBlue, false);
        break;
    case ImgFilterExplorer:
        Window(p, QColor(0, 0, 0, 0), true);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawRect(QRectF(2, 3, 4, 10));
        break;
    case ImgClear:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(240, 130, 150));
        p.drawPolygon(QPolygonF{{6.5, 2.5}, {14.5, 8.5}, {9.5, 13.5}, {1.5, 7.5}});
        p.setBrush(QColor(230, 230, 235));
        p.drawPolygon(QPolygonF{{1.5, 7.5}, {5.5, 10.5}, {3.5, 12.5}, {0.5, 10.0}});
        break;
    case ImgMessage:
        Page(p);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(11.5, 11.5), 3.5, 3.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(11, 10.5, 1.2, 3));
        break;
    case ImgPopups:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kAmber);
        p.drawPath([] {
            QPainterPath bell;
            bell.moveTo(3, 12);
            bell.cubicTo(4, 11, 4, 4, 8, 3);
            bell.cubicTo(12, 4, 12, 11, 13, 12);
            bell.closeSubpath();
            return bell;
        }());
        p.drawEllipse(QPointF(8, 13.5), 1.5, 1.5);
        break;
    case ImgViewer:
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(QPen(QColor(120, 130, 150), 1));
        for (int y = 5; y < 13; y += 3)
            p.drawLine(QPointF(2, y + 0.5), QPointF(14, y + 0.5));
        p.drawLine(QPointF(6.5, 3), QPointF(6.5, 13));
        break;
    default:
        p.setPen(QPen(QColor(170, 170, 170), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    }
}

QPixmap Render(int index, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    Draw(p, index);
    return pixmap;
}

} // namespace

QIcon CommandImage(int index) {
    QIcon icon;
    icon.addPixmap(Render(index, 16));
    icon.addPixmap(Render(index, 32));
    return icon;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(Render(ImgProcess, size));
    return icon;
}

QAction* MakeCommand(QObject* owner, const char* name, const QString& caption, const QKeySequence& key, int image,
                     const QString& hint) {
    auto* a = new QAction(CommandImage(image), caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    return a;
}

} // namespace qm
