#include "ShowRowPart.h"

#include "ShowListModel.h"
#include "ShowRowText.h"

namespace ShowRowParts {

QString tooltip(const QModelIndex& index, ShowRowPart part) {
    using Part = ShowRowPart;
    switch (part) {
    case Part::subscribeSwitch:
        return index.data(ShowListModel::SubscribeTooltipRole).toString();
    case Part::qualityPill:
        return ShowRowText::kQualityTooltip;
    case Part::pickPill:
        return ShowRowText::kPickTooltip;
    case Part::trash:
        return index.data(ShowListModel::TrashTooltipRole).toString();
    case Part::stale:
        return ShowRowText::kStaleTooltip;
    case Part::none:
    case Part::row:
    case Part::viewEpisodes:
        return {};
    }
    return {};
}

QString spokenName(const QModelIndex& index, ShowRowPart part) {
    return part == ShowRowPart::viewEpisodes ? ShowRowText::kViewEpisodes : tooltip(index, part);
}

} // namespace ShowRowParts
