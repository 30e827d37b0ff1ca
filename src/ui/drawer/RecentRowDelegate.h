#pragma once

#include "DrawerRowDelegate.h"

// Paints one download of the Recent tab as a card: the episode and the release's title, the
// state line in its tone, and for a download stuck long enough the three buttons "Find an
// alternate request", "Remove request" and "Snooze a week". The alternates under a download
// are a real panel held as the row's index widget; this only sizes and places it.
class RecentRowDelegate final : public DrawerRowDelegate {
    Q_OBJECT

public:
    static constexpr int kAlternate = kFirstAction;
    static constexpr int kRemove = kFirstAction + 1;
    static constexpr int kSnooze = kFirstAction + 2;

    explicit RecentRowDelegate(Theme& theme, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    QRect partRect(const QStyleOptionViewItem& option, const QModelIndex& index,
                   int part) const override;
    int partCount(const QModelIndex& index) const override;
    int defaultPart(const QModelIndex& index) const override;
    bool pressable(const QModelIndex& index, int part) const override;
    QString tooltip(const QModelIndex& index, int part) const override;
    QString partName(const QModelIndex& index, int part) const override;

private:
    struct Geometry {
        QRect card, episode, title, state;
        QList<QRect> actions;
    };
    Geometry geometry(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};
