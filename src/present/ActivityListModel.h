#pragma once

#include "model/ActivityEntry.h"

#include <QAbstractListModel>
#include <QDate>
#include <QList>

#include <optional>

class PublishedState;

// The activity log as a flat list: a day header before each run of entries from the same
// local calendar day, in the log's order (newest first). New lines are inserted at the top
// and lines the log drops are removed at the bottom, row by row; any other change of the log
// (loading, clearing) resets the model.
class ActivityListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActivityListModel)

public:
    enum Role {
        IsHeaderRole = Qt::UserRole + 1, // bool
        TimeRole,                        // "HH:mm:ss"; empty on headers
        KindRole,                        // int of ActivityEntry::Kind; entries only
        IsTodayRole,                     // bool: the row's day is today
    };

    explicit ActivityListModel(PublishedState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    // Display: the header's text, or the entry's message.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int entryCount() const { return static_cast<int>(m_entries.size()); }

    // Follows the store's log; called on every change of it.
    void sync();
    // Re-reads today's date from the store's clock; headers change after midnight.
    void refreshToday();

private:
    struct Row {
        QDate day;
        std::optional<ActivityEntry> entry; // none: the day's header
    };
    void rebuild();
    void prependEntry(const ActivityEntry& entry);
    void dropOldestEntry();

    PublishedState& m_state;
    QList<ActivityEntry> m_entries; // the log as shown, newest first
    QList<Row> m_rows;
    QDate m_today;
};
