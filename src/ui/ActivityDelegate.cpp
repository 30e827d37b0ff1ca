#include "ActivityDelegate.h"

#include "ActivityListModel.h"

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

constexpr int kTimeWidth = 62;

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
    return {option.rect.width(), header ? kHeaderHeight : kRowHeight};
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
    painter->drawText(QRect(r.left() + 4, r.top(), kTimeWidth, r.height()),
                      Qt::AlignVCenter | Qt::AlignLeft,
                      index.data(ActivityListModel::TimeRole).toString());

    const auto kind =
        static_cast<ActivityEntry::Kind>(index.data(ActivityListModel::KindRole).toInt());
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_theme.color(roleFor(kind)));
    const int dotX = r.left() + 4 + kTimeWidth + 2;
    painter->drawEllipse(QPointF(dotX + 3, r.center().y() + 0.5), 3, 3);

    const int textX = dotX + 16;
    const QRect text(textX, r.top(), r.right() - textX - 6, r.height());
    painter->setFont(m_messageFont);
    painter->setPen(m_theme.color(Theme::Role::text));
    const QString message = index.data(Qt::DisplayRole).toString();
    painter->drawText(
        text, Qt::AlignVCenter | Qt::AlignLeft,
        QFontMetrics(m_messageFont).elidedText(message, Qt::ElideRight, text.width()));
    painter->restore();
}
