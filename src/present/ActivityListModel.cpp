#include "ActivityListModel.h"

#include "ActivityDayText.h"
#include "api/PublishedState.h"

ActivityListModel::ActivityListModel(PublishedState& state, QObject* parent)
    : QAbstractListModel(parent)
    , m_state(state) {
    m_today = activity::localDay(m_state.now());
    rebuild();
    // logActivity emits both signals; the second finds nothing left to do.
    connect(&m_state, &PublishedState::activityChanged, this, &ActivityListModel::sync);
    connect(&m_state, &PublishedState::activityLogged, this, &ActivityListModel::sync);
}

int ActivityListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant ActivityListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return row.entry ? row.entry->message : activity::dayHeader(row.day, m_today);
    case Qt::AccessibleTextRole:
        return row.entry ? activity::timeText(row.entry->date) + QLatin1Char(' ') +
                               row.entry->message
                         : activity::dayHeader(row.day, m_today);
    case Qt::AccessibleDescriptionRole:
        return row.entry ? activity::kindText(row.entry->kind) : QString();
    case IsHeaderRole:
        return !row.entry.has_value();
    case TimeRole:
        return row.entry ? activity::timeText(row.entry->date) : QString();
    case KindRole:
        return row.entry ? QVariant(static_cast<int>(row.entry->kind)) : QVariant();
    case IsTodayRole:
        return row.day == m_today;
    default:
        return {};
    }
}

QHash<int, QByteArray> ActivityListModel::roleNames() const {
    auto names = QAbstractListModel::roleNames();
    names.insert(IsHeaderRole, "isHeader");
    names.insert(TimeRole, "time");
    names.insert(KindRole, "kind");
    names.insert(IsTodayRole, "isToday");
    return names;
}

void ActivityListModel::sync() {
    refreshToday();
    const QList<ActivityEntry>& log = m_state.activity();
    if (log.isEmpty() || m_entries.isEmpty()) {
        if (log.isEmpty() != m_entries.isEmpty())
            rebuild();
        return;
    }
    // The usual change: new lines at the top, maybe the oldest dropped at the bottom. Find
    // where our newest line sits now and check that everything after it is still ours.
    const auto added =
        std::find_if(log.cbegin(), log.cend(),
                     [&](const ActivityEntry& e) { return e.id == m_entries.first().id; }) -
        log.cbegin();
    const qsizetype kept = log.size() - added;
    const bool tailIntact =
        added < log.size() && kept <= m_entries.size() &&
        std::equal(log.cbegin() + added, log.cend(), m_entries.cbegin(),
                   [](const ActivityEntry& a, const ActivityEntry& b) { return a.id == b.id; });
    if (!tailIntact) {
        rebuild();
        return;
    }
    while (m_entries.size() > kept)
        dropOldestEntry();
    for (qsizetype i = added - 1; i >= 0; --i)
        prependEntry(log[i]);
}

void ActivityListModel::refreshToday() {
    const QDate today = activity::localDay(m_state.now());
    if (today == m_today)
        return;
    m_today = today;
    // Only headers read "today"; entries' IsTodayRole changes with them.
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0), index(static_cast<int>(m_rows.size()) - 1));
}

void ActivityListModel::rebuild() {
    beginResetModel();
    m_entries = m_state.activity();
    m_rows.clear();
    for (const ActivityEntry& entry : std::as_const(m_entries)) {
        const QDate day = activity::localDay(entry.date);
        if (m_rows.isEmpty() || m_rows.last().day != day)
            m_rows.append(Row{day, std::nullopt});
        m_rows.append(Row{day, entry});
    }
    endResetModel();
}

void ActivityListModel::prependEntry(const ActivityEntry& entry) {
    const QDate day = activity::localDay(entry.date);
    m_entries.prepend(entry);
    if (!m_rows.isEmpty() && m_rows.first().day == day) {
        beginInsertRows({}, 1, 1);
        m_rows.insert(1, Row{day, entry});
        endInsertRows();
        return;
    }
    beginInsertRows({}, 0, 1);
    m_rows.insert(0, Row{day, entry});
    m_rows.insert(0, Row{day, std::nullopt});
    endInsertRows();
}

void ActivityListModel::dropOldestEntry() {
    m_entries.removeLast();
    int last = static_cast<int>(m_rows.size()) - 1;
    // The header goes with the last entry of its day.
    const int first = m_rows[last - 1].entry ? last : last - 1;
    beginRemoveRows({}, first, last);
    m_rows.remove(first, last - first + 1);
    endRemoveRows();
}
