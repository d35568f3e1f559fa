#include "settings/ui/ListGridModel.h"

#include "platform/qt/BgrColour.h"
#include "platform/qt/DisplayText.h"
#include "settings/Options.h"

#include <QPainter>

namespace qm {

QVariant ListGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return DisplayText(grid_.Cell(index.row(), index.column()));
}

QVariant ListGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // The caption is its own tool tip: a narrow column may show it small.
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole) || section < 0 ||
        section >= captions_.size())
        return {};
    return captions_[section];
}

void ColourSwatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const auto* model = qobject_cast<const ListGridModel*>(index.model());
    if (index.column() != column_ || !model) return;
    const ListGrid& grid = model->Grid();
    if (grid.Trimmed(index.row(), 0).empty()) return;
    // A cell without a whole number keeps its text.
    if (const std::optional<std::int32_t> colour = ParseColour(grid.Trimmed(index.row(), column_)))
        painter->fillRect(option.rect.adjusted(2, 2, -2, -2), ColourFromBgr(*colour));
}

} // namespace qm
