#pragma once

#include "Theme.h"

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <functional>

// What the drawer's two lists share: each row a card inside the list's margins, some rows
// with buttons painted into them (parts, numbered from kFirstAction), and an expanded row
// that stands for a real panel, as tall as the panel and placed where its card would be.
class DrawerRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kNone = 0;
    static constexpr int kRow = 1;
    static constexpr int kFirstAction = 2;

    DrawerRowDelegate(Theme& theme, int topMargin, QObject* parent = nullptr);

    void setHover(const QPersistentModelIndex& index, int part);
    QPersistentModelIndex hoverIndex() const { return m_hoverIndex; }

    // Where a part is drawn in a row occupying `option.rect`; empty when the row has none.
    virtual QRect partRect(const QStyleOptionViewItem& option, const QModelIndex& index,
                           int part) const = 0;
    virtual int partCount(const QModelIndex& index) const = 0; // actions of the row
    // What Enter and Space press on the row (kNone: nothing).
    virtual int defaultPart(const QModelIndex& index) const = 0;
    virtual bool pressable(const QModelIndex& index, int part) const = 0;
    virtual QString tooltip(const QModelIndex& index, int part) const = 0;
    // What a screen reader calls a pressable part.
    virtual QString partName(const QModelIndex& index, int part) const = 0;

    // Where the list keeps a row's panel; the list sets it, so this need not know the list.
    void setPanelSource(std::function<const QWidget*(const QModelIndex&)> source) {
        m_panels = std::move(source);
    }

    int partAt(const QStyleOptionViewItem& option, const QModelIndex& index, QPoint pos) const;
    // Where a row's card, or its panel, lies in a row occupying `row`.
    QRect cardIn(const QRect& row, const QModelIndex& index) const;

protected:
    // A row's whole height around a card of this height; `option` names the view.
    QSize rowSize(const QStyleOptionViewItem& option, const QModelIndex& index, int card) const;
    // The height of a row's panel at the card's width, 0 without one.
    int panelHeight(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void paintCard(QPainter& painter, const QRect& card, bool focused) const;
    // One line of text, elided and cut at its own box, a glyph's overhang included.
    void paintLine(QPainter& painter, const QRect& rect, const QFont& font, const QString& text,
                   Theme::Role colour) const;
    bool hovered(const QModelIndex& index, int part) const {
        return m_hoverIndex == index && m_hoverPart == part;
    }

    Theme& m_theme;

private:
    int m_topMargin;
    QPersistentModelIndex m_hoverIndex;
    int m_hoverPart = kNone;
    std::function<const QWidget*(const QModelIndex&)> m_panels;
};
