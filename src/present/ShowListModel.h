#pragma once

#include "ShowRowText.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>

#include <optional>

class PublishedState;

// The series list as rows, in the store's order. Each store signal is answered with the
// smallest change: rows that read differently get dataChanged, added, removed and moved
// series get inserted, removed and moved; the model is never reset after construction.
class ShowListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowListModel)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        InitialsRole,
        PosterPathRole, // QString, empty without a poster
        StatusLineRole, // QString, empty when the row says nothing
        StatusToneRole, // int, ShowRowText::Tone
        StaleRole,
        SubscribedRole,
        SubscribeLabelRole,
        SubscribeTooltipRole,
        QualityLabelRole,
        PickPendingRole,
        PickLabelRole,
        TrashTooltipRole,
        FootnoteRole,
    };

    // Everything one row shows, computed once per change.
    struct Row {
        QUuid id;
        QString name;
        QString initials;
        QString posterPath;
        std::optional<ShowRowText::StatusLine> status;
        bool stale = false;
        bool subscribed = false;
        QString subscribeLabel;
        QString subscribeTooltip;
        QString qualityLabel;
        std::optional<QString> pickLabel;
        QString trashTooltip;
        QString footnote;
        bool operator==(const Row&) const = default;
    };

    explicit ShowListModel(PublishedState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const Row& row(int row) const { return m_rows.at(row); }
    int rowOf(const QUuid& id) const;
    QList<ShowRowText::MenuItem> menuItems(int row) const;

    // Reads the store again and publishes what changed; also how relative times move on.
    void refresh();

    // While nobody looks (the window hidden), store changes only mark the rows stale; turning
    // live again catches up in one refresh. The follow-up pass changes the history every two
    // seconds, and 300 rows re-read for a hidden list would be the app's main idle cost.
    void setLive(bool live);
    bool isLive() const { return m_live; }

private:
    void storeChanged();

    Row rowFor(const Show& show) const;

    PublishedState& m_state;
    QList<Row> m_rows;
    bool m_live = true;
    bool m_stale = false;
};
