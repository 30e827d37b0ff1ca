#include "ShowListModel.h"

#include "AccessibleText.h"
#include "api/PublishedState.h"

ShowListModel::ShowListModel(PublishedState& state, QObject* parent)
    : QAbstractListModel(parent)
    , m_state(state) {
    for (const Show& show : m_state.shows())
        m_rows.append(rowFor(show));
    connect(&m_state, &PublishedState::showsChanged, this, &ShowListModel::storeChanged);
    connect(&m_state, &PublishedState::pendingQualityPicksChanged, this,
            &ShowListModel::storeChanged);
    connect(&m_state, &PublishedState::historyChanged, this, &ShowListModel::storeChanged);
    connect(&m_state, &PublishedState::settingsChanged, this, &ShowListModel::storeChanged);
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

int ShowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
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

int ShowListModel::rowOf(const QUuid& id) const {
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == id)
            return static_cast<int>(i);
    }
    return -1;
}

QList<ShowRowText::MenuItem> ShowListModel::menuItems(int row) const {
    const QUuid id = m_rows.at(row).id;
    for (const Show& show : m_state.shows()) {
        if (show.id == id)
            return ShowRowText::menuItems(show, m_state.pendingQualityPicks().contains(id));
    }
    return {};
}

void ShowListModel::storeChanged() {
    if (m_live)
        refresh();
    else
        m_stale = true;
}

void ShowListModel::setLive(bool live) {
    m_live = live;
    if (live && m_stale) {
        m_stale = false;
        refresh();
    }
}

void ShowListModel::refresh() {
    QList<Row> next;
    next.reserve(m_state.shows().size());
    QSet<QUuid> nextIDs;
    for (const Show& show : m_state.shows()) {
        next.append(rowFor(show));
        nextIDs.insert(show.id);
    }

    // Gone series first, from the bottom so the indexes above stay valid.
    for (int i = static_cast<int>(m_rows.size()) - 1; i >= 0; --i) {
        if (nextIDs.contains(m_rows[i].id))
            continue;
        beginRemoveRows({}, i, i);
        m_rows.removeAt(i);
        endRemoveRows();
    }

    // Then walk the new order: keep, move up or insert each series at its place.
    for (int i = 0; i < next.size(); ++i) {
        if (i < m_rows.size() && m_rows[i].id == next[i].id) {
            if (m_rows[i] != next[i]) {
                m_rows[i] = next[i];
                Q_EMIT dataChanged(index(i), index(i));
            }
            continue;
        }
        int from = -1;
        for (int j = i + 1; j < m_rows.size(); ++j) {
            if (m_rows[j].id == next[i].id) {
                from = j;
                break;
            }
        }
        if (from >= 0) {
            beginMoveRows({}, from, from, {}, i);
            m_rows.move(from, i);
            endMoveRows();
            if (m_rows[i] != next[i]) {
                m_rows[i] = next[i];
                Q_EMIT dataChanged(index(i), index(i));
            }
        } else {
            beginInsertRows({}, i, i);
            m_rows.insert(i, next[i]);
            endInsertRows();
        }
    }
}
