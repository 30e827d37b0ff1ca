#pragma once

#include "Theme.h"

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

// Paints one row of the drawer's episode list as a card: the code, the title over the air
// date, and the state on the right, a quiet tag (got it, upcoming) or a capsule button. The
// offer under an episode is a real panel of buttons held as the row's index widget; this only
// sizes and places it. It also tells which part lies under a point, so the view acts on clicks
// and tooltips without a widget per row.
class EpisodeRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    enum class Part { none, row, state };

    explicit EpisodeRowDelegate(Theme& theme, QObject* parent = nullptr);

    void setHover(const QPersistentModelIndex& index, Part part);
    QPersistentModelIndex hoverIndex() const { return m_hoverIndex; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    Part partAt(const QStyleOptionViewItem& option, const QModelIndex& index, QPoint pos) const;
    // Where a part is drawn in a row occupying `option.rect`; empty when the row has none.
    QRect partRect(const QStyleOptionViewItem& option, const QModelIndex& index, Part part) const;

private:
    struct Geometry {
        QRect card, code, name, date, state;
        bool tag = false; // the state is a tag, not a button
    };
    Geometry geometry(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    Theme& m_theme;
    QPersistentModelIndex m_hoverIndex;
    Part m_hoverPart = Part::none;
};
