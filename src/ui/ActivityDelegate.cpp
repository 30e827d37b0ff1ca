#include "ActivityDelegate.h"

#include "ActivityListModel.h"

#include <QAbstractScrollArea>
#include <QPainter>

namespace {

Theme::Role roleFor(ActivityEntry::Kind kind) {
    switch (kind) {
    case ActivityEntry::Kind::check:
        return Theme::Role::faintText;
    case ActivityEntry::Kind::found:
        return Theme::Role::accent;
    case ActivityEntry::Kind::downloaded:
        return Theme::Role::success;
    case ActivityEntry::Kind::sorted:
        return Theme::Role::info;
    case ActivityEntry::Kind::error:
        return Theme::Role::danger;
    }
    return Theme::Role::faintText;
}

// The kind's shape beside its colour, so colour is never the only sign.
QString symbolFor(ActivityEntry::Kind kind) {
    switch (kind) {
    case ActivityEntry::Kind::check:
        return QStringLiteral("magnifyingglass");
    case ActivityEntry::Kind::found:
        return QStringLiteral("largecircle.fill.circle");
    case ActivityEntry::Kind::downloaded:
        return QStringLiteral("checkmark");
    case ActivityEntry::Kind::sorted:
        return QStringLiteral("folder.fill");
    case ActivityEntry::Kind::error:
        return QStringLiteral("exclamationmark.triangle.fill");
    }
    return QStringLiteral("circle");
}

constexpr int kTimeWidth = 62;
constexpr int kSymbol = 11;
constexpr int kTextGap = 8; // between the symbol and the message
constexpr int kPadY = 5;    // above and below a wrapped message

} // namespace

ActivityDelegate::ActivityDelegate(Theme& theme, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_theme(theme) {
    m_headerFont.setPixelSize(10);
    m_headerFont.setWeight(QFont::DemiBold);
    m_headerFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    m_timeFont.setPixelSize(11);
    m_messageFont.setPixelSize(12);
}

QSize ActivityDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const bool header = index.data(ActivityListModel::IsHeaderRole).toBool();
    const auto* view = qobject_cast<const QAbstractScrollArea*>(option.widget);
    const int width = view ? view->viewport()->width() : option.rect.width();
    if (header || width <= 0)
        return {width, header ? kHeaderHeight : kRowHeight};
    // The whole message, wrapped to the row's width.
    const QRect text = messageRect(QRect(0, 0, width, kRowHeight));
    const QRect needed = QFontMetrics(m_messageFont).boundingRect(
        QRect(0, 0, text.width(), 10000), Qt::TextWordWrap,
        index.data(Qt::DisplayRole).toString());
    return {width, std::max(kRowHeight, needed.height() + 2 * kPadY)};
}

QRect ActivityDelegate::messageRect(const QRect& row) {
    const int textX = row.left() + 4 + kTimeWidth + 2 + kSymbol + kTextGap;
    return {textX, row.top(), row.right() - textX - 6, row.height()};
}

void ActivityDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect r = option.rect;
    if (index.data(ActivityListModel::IsHeaderRole).toBool()) {
        painter->setFont(m_headerFont);
        painter->setPen(m_theme.color(Theme::Role::secondaryText));
        painter->drawText(r.adjusted(4, 0, -4, -7), Qt::AlignLeft | Qt::AlignBottom,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
        return;
    }
    if (option.state & QStyle::State_MouseOver) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(m_theme.color(Theme::Role::surfaceHover));
        painter->drawRoundedRect(QRectF(r).adjusted(0, 1, 0, -1), 6, 6);
    }
    const bool today = index.data(ActivityListModel::IsTodayRole).toBool();
    painter->setFont(m_timeFont);
    painter->setPen(m_theme.color(today ? Theme::Role::secondaryText : Theme::Role::faintText));
    painter->drawText(QRect(r.left() + 4, r.top(), kTimeWidth, kRowHeight),
                      Qt::AlignVCenter | Qt::AlignLeft,
                      index.data(ActivityListModel::TimeRole).toString());

    const auto kind =
        static_cast<ActivityEntry::Kind>(index.data(ActivityListModel::KindRole).toInt());
    // Time and symbol sit on the first line of the message.
    const int firstLine = r.top() + std::max(kPadY, (kRowHeight - QFontMetrics(m_messageFont).height()) / 2);
    const int lineHeight = QFontMetrics(m_messageFont).height();
    const int symbolX = r.left() + 4 + kTimeWidth + 2;
    m_theme.symbol(symbolFor(kind), roleFor(kind))
        .paint(painter, QRect(symbolX, firstLine + (lineHeight - kSymbol) / 2, kSymbol, kSymbol));

    const QRect text = messageRect(r).adjusted(0, firstLine - r.top(), 0, 0);
    painter->setFont(m_messageFont);
    painter->setPen(m_theme.color(Theme::Role::text));
    painter->drawText(text, Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap,
                      index.data(Qt::DisplayRole).toString());
    if (option.state & QStyle::State_HasFocus)
        m_theme.paintFocusRing(*painter, QRectF(r), 6);
    painter->restore();
}
