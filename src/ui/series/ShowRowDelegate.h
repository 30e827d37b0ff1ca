#pragma once

#include "ShowRowPart.h"
#include "Theme.h"

#include <QPersistentModelIndex>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QUuid>

#include <functional>

// Paints one series as a card: poster, name and chevron, status line with the stale marker,
// and the row's controls (subscribe switch, resolution pill, the pending-pick pill, trash);
// an expanded card adds its footnote and "View episodes". It also tells which control lies
// under a point, so the view can act on clicks and tooltips without a widget per row.
class ShowRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using Part = ShowRowPart;

    static constexpr int kRowHeight = 76;       // a collapsed row, with its margins
    static constexpr int kExpansionHeight = 54; // what an expanded row adds

    explicit ShowRowDelegate(Theme& theme, QObject* parent = nullptr);

    void setExpandedID(const QUuid& id) { m_expandedID = id; }
    QUuid expandedID() const { return m_expandedID; }
    // Which row is under the mouse and which of its controls, for hover feedback.
    void setHover(const QPersistentModelIndex& index, Part part);
    QPersistentModelIndex hoverIndex() const { return m_hoverIndex; }
    Part hoverPart() const { return m_hoverPart; }
    // Which control of the keyboard's row carries the focus ring (`row`: the whole card).
    void setFocusPart(Part part) { m_focusPart = part; }
    Part focusPart() const { return m_focusPart; }
    // The thumbnail of a row, or a null pixmap while there is none (the placeholder shows).
    void setPosterSource(std::function<QPixmap(const QModelIndex&)> source) {
        m_posters = std::move(source);
    }
    static QSize posterSize() { return {36, 54}; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    Part partAt(const QStyleOptionViewItem& option, const QModelIndex& index, QPoint pos) const;
    // Where a control is drawn in a row occupying `option.rect`; empty when the row has none.
    QRect partRect(const QStyleOptionViewItem& option, const QModelIndex& index, Part part) const;

private:
    struct Geometry {
        QRect card, poster, name, chevron, status, stale, switchTrack, switchLabel, quality, pick,
            trash, footnote, viewEpisodes;
    };
    Geometry geometry(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    bool isExpanded(const QModelIndex& index) const;
    bool hovered(const QModelIndex& index, Part part) const;

    Theme& m_theme;
    QUuid m_expandedID;
    QPersistentModelIndex m_hoverIndex;
    Part m_hoverPart = Part::none;
    Part m_focusPart = Part::row;
    std::function<QPixmap(const QModelIndex&)> m_posters;
};
