#pragma once

#include <QModelIndex>
#include <QString>

// The places of a series row that react on their own: the row itself, its controls, and the
// stale marker. The delegate finds them under the mouse; the keyboard walks them.
enum class ShowRowPart {
    none,
    row,
    subscribeSwitch,
    qualityPill,
    pickPill,
    trash,
    stale,
    viewEpisodes
};

namespace ShowRowParts {

// The tooltip over a part of the row at `index` (a ShowListModel row); empty for none.
QString tooltip(const QModelIndex& index, ShowRowPart part);
// What a screen reader calls a control: its tooltip, or the text of a button that shows one.
QString spokenName(const QModelIndex& index, ShowRowPart part);

} // namespace ShowRowParts
