#pragma once

#include "DrawerRowDelegate.h"

// Paints one row of the drawer's episode list as a card: the code, the title over the air
// date, and the state on the right, a quiet tag (got it, upcoming) or a capsule button. The
// offer under an episode is a real panel of buttons held as the row's index widget; this only
// sizes and places it.
class EpisodeRowDelegate final : public DrawerRowDelegate {
    Q_OBJECT

public:
    static constexpr int kState = kFirstAction; // the state button

    explicit EpisodeRowDelegate(Theme& theme, QObject* parent = nullptr);

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
        QRect card, code, name, date, state;
        bool tag = false; // the state is a tag, not a button
    };
    Geometry geometry(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};
