#include "settings/ui/ListGridModel.h"
#include "platform/qt/DisplayText.h"

#include "settings/unitAdd_Ins.h"

#include <QPainter>

namespace qm {

QVariant ListGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const std::string& text = grid_.Cell(index.row(), index.column());
    return DisplayText(text);
}

void ColourSwatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (index.column() != column_) return;
    const QByteArray key = index.siblingAtColumn(0).data().toString().toLocal8Bit();
    if (Trim(std::string_view(key.constData(), static_cast<std::size_t>(key.size()))).empty()) return;
    const QByteArray text = index.data().toString().toLocal8Bit();
    const std::optional<std::int32_t> colour =
        ParseInt32(Trim(std::string_view(text.constData(), text.size())));
    // A cell without a whole number keeps its text.
    if (!colour) return;
    const int bgr = *colour;
    painter->fillRect(option.rect.adjusted(2, 2, -2, -2),
                      QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
}

} // namespace qm
