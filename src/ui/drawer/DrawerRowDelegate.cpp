#include "DrawerRowDelegate.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kMarginX = 20;      // the list's side margins
constexpr int kBottomMargin = 20; // under the last card
constexpr int kGap = 6;           // between cards
constexpr int kRadius = 10;

bool isLast(const QModelIndex& index) {
    return index.row() == index.model()->rowCount() - 1;
}

} // namespace

DrawerRowDelegate::DrawerRowDelegate(Theme& theme, int topMargin, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_theme(theme)
    , m_topMargin(topMargin) {}

void DrawerRowDelegate::setHover(const QPersistentModelIndex& index, int part) {
    m_hoverIndex = index;
    m_hoverPart = part;
}

int DrawerRowDelegate::partAt(const QStyleOptionViewItem& option, const QModelIndex& index,
                              QPoint pos) const {
    if (!cardIn(option.rect, index).contains(pos))
        return kNone;
    for (int part = kFirstAction; part < kFirstAction + partCount(index); ++part) {
        if (partRect(option, index, part).contains(pos))
            return part;
    }
    return kRow;
}

QRect DrawerRowDelegate::cardIn(const QRect& row, const QModelIndex& index) const {
    // The list's margins go to the first and last rows.
    const int top = index.row() == 0 ? m_topMargin : 0;
    return QRect(row.left() + kMarginX, row.top() + top, row.width() - 2 * kMarginX,
                 row.height() - top - (isLast(index) ? kBottomMargin : kGap));
}

QSize DrawerRowDelegate::rowSize(const QStyleOptionViewItem& option, const QModelIndex& index,
                                 int card) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const int width = view ? view->viewport()->width() : qMax(option.rect.width(), 600);
    return {width,
            card + (index.row() == 0 ? m_topMargin : 0) + (isLast(index) ? kBottomMargin : kGap)};
}

int DrawerRowDelegate::panelHeight(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const QWidget* panel = view && m_panels ? m_panels(index) : nullptr;
    if (!panel)
        return 0;
    const int width = view->viewport()->width() - 2 * kMarginX;
    return panel->hasHeightForWidth() ? panel->heightForWidth(width) : panel->sizeHint().height();
}

void DrawerRowDelegate::paintLine(QPainter& painter, const QRect& rect, const QFont& font,
                                  const QString& text, Theme::Role colour) const {
    painter.save();
    painter.setClipRect(rect);
    painter.setFont(font);
    painter.setPen(m_theme.color(colour));
    painter.drawText(rect, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width()));
    painter.restore();
}

void DrawerRowDelegate::paintCard(QPainter& painter, const QRect& card, bool focused) const {
    QPainterPath path;
    path.addRoundedRect(QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
    painter.fillPath(path, m_theme.color(Theme::Role::surface));
    painter.setPen(QPen(m_theme.color(Theme::Role::separator), 1));
    painter.drawPath(path);
    if (focused)
        m_theme.paintFocusRing(painter, QRectF(card), kRadius);
}
