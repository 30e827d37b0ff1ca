#include "ShowListModel.h"

#include "AccessibleText.h"
#include "api/PublishedState.h"

ShowListModel::ShowListModel(PublishedState& state, QObject* parent)
    : KeyedRowModel(parent)
    , m_state(state) {
    for (const Show& show : m_state.shows())
        m_rows.append(rowFor(show));
    connect(&m_state, &PublishedState::showsChanged, this, &ShowListModel::recordsChanged);
    connect(&m_state, &PublishedState::pendingQualityPicksChanged, this,
            &ShowListModel::recordsChanged);
    connect(&m_state, &PublishedState::historyChanged, this, &ShowListModel::recordsChanged);
    connect(&m_state, &PublishedState::settingsChanged, this, &ShowListModel::recordsChanged);
}

ShowListModel::Row ShowListModel::rowFor(const Show& show) const {
    const auto& picks = m_state.pendingQualityPicks();
    const auto pick = picks.constFind(show.id);
    const EpisodePick* pending = pick == picks.cend() ? nullptr : &pick.value();
    const bool subscribed = ShowRowText::isSubscribed(show);
    Row row;
    row.id = show.id;
    row.name = show.name;
    row.initials = show.initials();
    row.posterPath = show.posterPath.value_or(QString());
    row.status = ShowRowText::statusLine(show, pending, m_state.now());
    row.stale = m_state.hasFlaggedDownload(show.id);
    row.subscribed = subscribed;
    row.subscribeLabel = ShowRowText::subscribeLabel(subscribed);
    row.subscribeTooltip = ShowRowText::subscribeTooltip(show);
    row.qualityLabel = ShowRowText::qualityLabel(show.quality);
    if (pending)
        row.pickLabel = ShowRowText::pickPillLabel(*pending);
    row.trashTooltip = ShowRowText::trashTooltip(show);
    row.footnote = ShowRowText::footnote(subscribed);
    return row;
}

QVariant ShowListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case NameRole:
        return r.name;
    case Qt::AccessibleDescriptionRole:
        return accessible::seriesRowDescription(r.qualityLabel, r.subscribeLabel,
                                                r.status ? r.status->text : QString(), r.stale);
    case IdRole:
        return r.id;
    case InitialsRole:
        return r.initials;
    case PosterPathRole:
        return r.posterPath;
    case StatusLineRole:
        return r.status ? r.status->text : QString();
    case StatusToneRole:
        return static_cast<int>(r.status ? r.status->tone : ShowRowText::Tone::plain);
    case StaleRole:
        return r.stale;
    case SubscribedRole:
        return r.subscribed;
    case SubscribeLabelRole:
        return r.subscribeLabel;
    case SubscribeTooltipRole:
        return r.subscribeTooltip;
    case QualityLabelRole:
        return r.qualityLabel;
    case PickPendingRole:
        return r.pickLabel.has_value();
    case PickLabelRole:
        return r.pickLabel.value_or(QString());
    case TrashTooltipRole:
        return r.trashTooltip;
    case FootnoteRole:
        return r.footnote;
    default:
        return {};
    }
}

QHash<int, QByteArray> ShowListModel::roleNames() const {
    return {{IdRole, "showID"},
            {NameRole, "name"},
            {InitialsRole, "initials"},
            {PosterPathRole, "posterPath"},
            {StatusLineRole, "statusLine"},
            {StatusToneRole, "statusTone"},
            {StaleRole, "stale"},
            {SubscribedRole, "subscribed"},
            {SubscribeLabelRole, "subscribeLabel"},
            {SubscribeTooltipRole, "subscribeTooltip"},
            {QualityLabelRole, "qualityLabel"},
            {PickPendingRole, "pickPending"},
            {PickLabelRole, "pickLabel"},
            {TrashTooltipRole, "trashTooltip"},
            {FootnoteRole, "footnote"}};
}

QList<ShowRowText::MenuItem> ShowListModel::menuItems(int row) const {
    const QUuid id = m_rows.at(row).id;
    for (const Show& show : m_state.shows()) {
        if (show.id == id)
            return ShowRowText::menuItems(show, m_state.pendingQualityPicks().contains(id));
    }
    return {};
}

void ShowListModel::refresh() {
    QList<Row> next;
    next.reserve(m_state.shows().size());
    for (const Show& show : m_state.shows())
        next.append(rowFor(show));
    publish(next);
}
