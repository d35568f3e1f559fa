#include "settings/ui/FittedHeader.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace qm {

namespace {

// Below this the letters stop being letters.
constexpr qreal kSmallestPoints = 5.5;
constexpr int kSmallestPixels = 7;

// One step smaller, in the unit the font was given in; false at the smallest.
bool Smaller(QFont& font) {
    if (font.pointSizeF() > 0) {
        if (font.pointSizeF() - 0.5 < kSmallestPoints) return false;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    } else {
        if (font.pixelSize() - 1 < kSmallestPixels) return false;
        font.setPixelSize(font.pixelSize() - 1);
    }
    return true;
}

int Widest(const QStringList& lines, const QFont& font) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// One line when it fits; else two, broken at the blank that leaves the
// wider of the two narrowest.
QStringList Lines(const QString& caption, const QFont& font, int room) {
    if (Widest({caption}, font) <= room || !caption.contains(QLatin1Char(' '))) return {caption};
    QStringList best{caption};
    int bestWidth = Widest(best, font);
    for (qsizetype at = caption.indexOf(QLatin1Char(' ')); at >= 0; at = caption.indexOf(QLatin1Char(' '), at + 1)) {
        const QStringList two{caption.left(at), caption.mid(at + 1)};
        if (const int w = Widest(two, font); w < bestWidth) {
            best = two;
            bestWidth = w;
        }
    }
    return best;
}

} // namespace

FittedHeader::FittedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

int FittedHeader::TextRoom(int width) const {
    return width - 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
}

FittedHeader::Fit FittedHeader::FitOf(int logicalIndex) const {
    Fit fit;
    fit.font = font();
    const QString caption = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const int room = TextRoom(sectionSize(logicalIndex));
    fit.lines = Lines(caption, fit.font, room);
    while (Widest(fit.lines, fit.font) > room && Smaller(fit.font))
        fit.lines = Lines(caption, fit.font, room);
    return fit;
}

void FittedHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    // The style draws the section with the fitted lines in the fitted font:
    // text drawn by hand over the style's frame does not show on Windows.
    const Fit fit = FitOf(logicalIndex);
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.text = fit.lines.join(QLatin1Char('\n'));
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.textElideMode = Qt::ElideNone;
    option.state &= ~QStyle::State_On; // its label would be bold, wider than fitted
    painter->save();
    painter->setFont(fit.font);
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
}

QSize FittedHeader::sizeHint() const {
    // Room for two lines, whichever section needs them.
    QSize size = QHeaderView::sizeHint();
    const int twoLines = 2 * fontMetrics().height() + 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    size.setHeight(std::max(size.height(), twoLines));
    return size;
}

} // namespace qm
