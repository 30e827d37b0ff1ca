#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QSet>
#include <QUuid>

#include <type_traits>

// A list model over records with an `id` (any key QSet can hold): publishing the next rows changes
// only what differs (dataChanged for a row that reads differently, and inserts, removes and moves),
// never a reset, so a long list repaints one row when one record changes.
template <typename Row>
class KeyedRowModel : public QAbstractListModel {
public:
    using Key = std::remove_cvref_t<decltype(Row::id)>;
    using QAbstractListModel::QAbstractListModel;

    // Reads the records again and publishes what changed.
    virtual void refresh() = 0;

    // While nobody looks (the window hidden), changes of the records only mark the rows stale;
    // turning live again catches up in one refresh. The follow-up pass changes the history every
    // two seconds, and hundreds of rows re-read for a hidden list would be the main idle cost.
    void setLive(bool live) {
        m_live = live;
        if (live && m_stale) {
            m_stale = false;
            refresh();
        }
    }
    bool isLive() const { return m_live; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    const Row& row(int at) const { return m_rows.at(at); }
    int rowOf(const Key& id) const {
        for (qsizetype i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].id == id)
                return static_cast<int>(i);
        }
        return -1;
    }

protected:
    // What the records' change signals call.
    void recordsChanged() {
        if (m_live)
            refresh();
        else
            m_stale = true;
    }

    void publish(const QList<Row>& next) {
        QSet<Key> nextIDs;
        for (const Row& r : next)
            nextIDs.insert(r.id);
        // Gone records first, from the bottom so the indexes above stay valid.
        for (int i = static_cast<int>(m_rows.size()) - 1; i >= 0; --i) {
            if (nextIDs.contains(m_rows[i].id))
                continue;
            beginRemoveRows({}, i, i);
            m_rows.removeAt(i);
            endRemoveRows();
        }
        // Then walk the new order: keep, move up or insert each record at its place.
        for (int i = 0; i < next.size(); ++i) {
            if (i < m_rows.size() && m_rows[i].id == next[i].id) {
                update(i, next[i]);
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
                update(i, next[i]);
            } else {
                beginInsertRows({}, i, i);
                m_rows.insert(i, next[i]);
                endInsertRows();
            }
        }
    }

    QList<Row> m_rows;

private:
    bool m_live = true;
    bool m_stale = false;

    void update(int i, const Row& next) {
        if (m_rows[i] == next)
            return;
        m_rows[i] = next;
        Q_EMIT this->dataChanged(this->index(i), this->index(i));
    }
};
