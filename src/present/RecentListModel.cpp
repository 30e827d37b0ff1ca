#include "RecentListModel.h"

#include "AccessibleText.h"

RecentListModel::RecentListModel(EpisodeDrawerModel& drawer, QObject* parent)
    : KeyedRowModel(parent)
    , m_drawer(drawer) {
    connect(&m_drawer, &EpisodeDrawerModel::changed, this, &RecentListModel::recordsChanged);
    refresh();
}

void RecentListModel::refresh() {
    QList<Row> next;
    const auto target = m_drawer.switchTarget();
    for (const auto& download : m_drawer.recentRows()) {
        Row row;
        row.id = row.recordID = download.id;
        row.episode = download.episode;
        row.title = download.title;
        row.stateLine = download.stateLine;
        row.tone = download.tone;
        row.flagged = download.flagged;
        next.append(row);
        if (target == download.id) {
            Row panel;
            panel.kind = Row::Kind::alternates;
            panel.id = download.id + QStringLiteral("/alternates");
            panel.recordID = download.id;
            panel.episode = download.episode;
            panel.title = m_drawer.switchHeading();
            panel.note = m_drawer.alternatesNote();
            panel.noteTone = m_drawer.alternatesNoteTone();
            panel.releases = m_drawer.alternateRows();
            next.append(panel);
        }
    }
    publish(next);
}

QVariant RecentListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    const bool download = r.kind == Row::Kind::download;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return download ? accessible::episodeRowName(r.episode, r.title) : r.title;
    case Qt::AccessibleDescriptionRole:
        return download ? r.stateLine : r.note;
    case KindRole:
        return static_cast<int>(r.kind);
    case RecordIdRole:
        return r.recordID;
    case EpisodeRole:
        return r.episode;
    case TitleRole:
        return r.title;
    case StateLineRole:
        return r.stateLine;
    case StateToneRole:
        return static_cast<int>(r.tone);
    case FlaggedRole:
        return r.flagged;
    default:
        return {};
    }
}

Qt::ItemFlags RecentListModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    // The alternates hold buttons of their own; the keyboard steps over them between rows.
    if (m_rows.at(index.row()).kind == Row::Kind::alternates)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> RecentListModel::roleNames() const {
    return {{KindRole, "kind"},      {RecordIdRole, "recordID"},   {EpisodeRole, "episode"},
            {TitleRole, "title"},    {StateLineRole, "stateLine"}, {StateToneRole, "stateTone"},
            {FlaggedRole, "flagged"}};
}
