#pragma once

#include "KeyedRowModel.h"
#include "ShowRowText.h"

#include <QList>
#include <QUuid>

#include <optional>

class PublishedState;

// Everything one series row shows, computed once per change.
struct ShowListRow {
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
    bool operator==(const ShowListRow&) const = default;
};

// The series list as rows, in the store's order. Each store signal is answered with the
// smallest change: rows that read differently get dataChanged, added, removed and moved
// series get inserted, removed and moved; the model is never reset after construction.
class ShowListModel final : public KeyedRowModel<ShowListRow> {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowListModel)

public:
    using Row = ShowListRow;
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

    explicit ShowListModel(PublishedState& state, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    QList<ShowRowText::MenuItem> menuItems(int row) const;

    // Reads the store again and publishes what changed; also how relative times move on.
    void refresh() override;

private:
    Row rowFor(const Show& show) const;

    PublishedState& m_state;
};
