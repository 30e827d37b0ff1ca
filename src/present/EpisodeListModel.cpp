#include "EpisodeListModel.h"

#include "AccessibleText.h"

EpisodeListModel::EpisodeListModel(EpisodeDrawerModel& drawer, QObject* parent)
    : KeyedRowModel(parent)
    , m_drawer(drawer) {
    connect(&m_drawer, &EpisodeDrawerModel::changed, this, &EpisodeListModel::recordsChanged);
    refresh();
}

void EpisodeListModel::refresh() {
    QList<Row> next;
    if (m_drawer.phase() == EpisodeDrawerModel::Phase::ready) {
        const auto offer = m_drawer.offerEpisode();
        for (const auto& episode : m_drawer.episodeRows()) {
            Row row;
            row.id = row.code = episode.code;
            row.title = episode.name;
            row.airDate = episode.dateText;
            row.stateText = episode.label;
            row.tooltip = episode.tooltip;
            row.tone = episode.tone;
            row.pressable = episode.pressable;
            row.busy = episode.state == EpisodeDrawerTexts::RowState::grabbing;
            next.append(row);
            if (offer == episode.code) {
                Row panel;
                panel.kind = Row::Kind::offer;
                panel.id = episode.code + QStringLiteral("/offer");
                panel.code = episode.code;
                panel.title = EpisodeDrawerModel::offerHeading();
                panel.tone = EpisodeDrawerTexts::Tone::plain;
                panel.releases = m_drawer.offerRows();
                next.append(panel);
            }
        }
    }
    publish(next);
}

QVariant EpisodeListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    const bool episode = r.kind == Row::Kind::episode;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return episode ? accessible::episodeRowName(r.code, r.title) : r.title;
    case Qt::AccessibleDescriptionRole:
        return episode ? accessible::episodeRowDescription(r.airDate, r.stateText) : QString();
    case KindRole:
        return static_cast<int>(r.kind);
    case CodeRole:
        return r.code;
    case TitleRole:
        return r.title;
    case AirDateRole:
        return r.airDate;
    case StateTextRole:
        return r.stateText;
    case StateToneRole:
        return static_cast<int>(r.tone);
    case PressableRole:
        return r.pressable;
    case BusyRole:
        return r.busy;
    case TooltipRole:
        return r.tooltip;
    default:
        return {};
    }
}

Qt::ItemFlags EpisodeListModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    // The offer holds buttons of its own; the keyboard steps over it between episodes.
    if (m_rows.at(index.row()).kind == Row::Kind::offer)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> EpisodeListModel::roleNames() const {
    return {
        {KindRole, "kind"},           {CodeRole, "code"},           {TitleRole, "title"},
        {AirDateRole, "airDate"},     {StateTextRole, "stateText"}, {StateToneRole, "stateTone"},
        {PressableRole, "pressable"}, {BusyRole, "busy"},           {TooltipRole, "tooltip"}};
}
