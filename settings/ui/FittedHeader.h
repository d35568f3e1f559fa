// A grid header whose captions are read whole in narrow columns: a caption
// that is wider than its column breaks at a blank onto a second line and,
// where a word is still too wide, is drawn in a smaller font. The column
// widths stay as they are; the model gives each caption as its tool tip too.
#pragma once

#include <QFont>
#include <QHeaderView>
#include <QStringList>

namespace qm {

class FittedHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit FittedHeader(QWidget* parent = nullptr);

    // How a section's caption is drawn: its lines and their font.
    struct Fit {
        QStringList lines;
        QFont font;
    };
    Fit FitOf(int logicalIndex) const;
    // The room a caption's lines have in a section of `width` pixels.
    int TextRoom(int width) const;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;
};

} // namespace qm
