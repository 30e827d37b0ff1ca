#include "ShowRowDelegate.h"

#include "ShowListModel.h"
#include "ShowRowText.h"
#include "controls/PillButton.h"
#include "controls/VaneSwitch.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kCardMarginX = 14;
constexpr int kCardMarginY = 4;
constexpr int kCardRadius = 10;
constexpr int kInset = 12;
constexpr int kTrashSize = 28;
constexpr int kMarkerSize = 14;

QFont nameFont(const QFont& base) {
    QFont f = base;
    f.setPointSizeF(base.pointSizeF() * 1.08);
    f.setWeight(QFont::DemiBold);
    return f;
}

QFont smallFont(const QFont& base) {
    QFont f = base;
    f.setPointSizeF(base.pointSizeF() * 0.92);
    return f;
}

QString text(const QModelIndex& index, int role) {
    return index.data(role).toString();
}

Theme::Role toneRole(ShowRowText::Tone tone) {
    switch (tone) {
    case ShowRowText::Tone::plain:
        return Theme::Role::secondaryText;
    case ShowRowText::Tone::working:
        return Theme::Role::accent;
    case ShowRowText::Tone::done:
        return Theme::Role::success;
    case ShowRowText::Tone::attention:
        return Theme::Role::attentionText;
    case ShowRowText::Tone::failure:
        return Theme::Role::danger;
    }
    return Theme::Role::secondaryText;
}

QPainterPath rounded(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

} // namespace

ShowRowDelegate::ShowRowDelegate(Theme& theme, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_theme(theme) {}

void ShowRowDelegate::setHover(const QPersistentModelIndex& index, Part part) {
    m_hoverIndex = index;
    m_hoverPart = part;
}

bool ShowRowDelegate::isExpanded(const QModelIndex& index) const {
    return !m_expandedID.isNull() && index.data(ShowListModel::IdRole).toUuid() == m_expandedID;
}

bool ShowRowDelegate::hovered(const QModelIndex& index, Part part) const {
    return m_hoverIndex == index && m_hoverPart == part;
}

QSize ShowRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    return {option.rect.width() > 0 ? option.rect.width() : 600,
            kRowHeight + (isExpanded(index) ? kExpansionHeight : 0)};
}

ShowRowDelegate::Geometry ShowRowDelegate::geometry(const QStyleOptionViewItem& option,
                                                    const QModelIndex& index) const {
    Geometry g;
    const QRect row = option.rect;
    g.card = QRect(row.left() + kCardMarginX, row.top() + kCardMarginY,
                   row.width() - 2 * kCardMarginX, row.height() - 2 * kCardMarginY);
    const int bandHeight = kRowHeight - 2 * kCardMarginY;
    const int midY = g.card.top() + bandHeight / 2;

    g.poster =
        QRect(QPoint(g.card.left() + kInset, midY - posterSize().height() / 2), posterSize());

    // Controls, right to left: trash, resolution, the switch with its label, the pick.
    const QFont small = smallFont(option.font);
    const QFontMetrics smallMetrics(small);
    int right = g.card.right() - kInset + 4;
    g.trash = QRect(right - kTrashSize + 1, midY - kTrashSize / 2, kTrashSize, kTrashSize);
    right = g.trash.left() - 8;
    // Every row gives its pill and label the same width, so the columns line up.
    const QSize pill = PillButton::sizeFor(QStringLiteral("1080p"), small);
    g.quality =
        QRect(right - pill.width() + 1, midY - pill.height() / 2, pill.width(), pill.height());
    right = g.quality.left() - 16;
    const int labelWidth = qMax(smallMetrics.horizontalAdvance(ShowRowText::subscribeLabel(true)),
                                smallMetrics.horizontalAdvance(ShowRowText::subscribeLabel(false)));
    g.switchLabel = QRect(right - labelWidth + 1, midY - smallMetrics.height() / 2, labelWidth,
                          smallMetrics.height());
    right = g.switchLabel.left() - 8;
    g.switchTrack = QRect(QPoint(right - VaneSwitch::kSwitchSize.width() + 1,
                                 midY - VaneSwitch::kSwitchSize.height() / 2),
                          VaneSwitch::kSwitchSize);
    right = g.switchTrack.left() - 14;
    if (index.data(ShowListModel::PickPendingRole).toBool()) {
        const QSize size = PillButton::sizeFor(text(index, ShowListModel::PickLabelRole), small) +
                           QSize(kMarkerSize + 4, 0);
        g.pick =
            QRect(right - size.width() + 1, midY - size.height() / 2, size.width(), size.height());
        right = g.pick.left() - 12;
    }

    // Texts between the poster and the controls.
    const int left = g.poster.right() + 1 + kInset;
    const QFontMetrics nameMetrics(nameFont(option.font));
    const bool hasStatus = !text(index, ShowListModel::StatusLineRole).isEmpty() ||
                           index.data(ShowListModel::StaleRole).toBool();
    const int lineGap = 4;
    const int block = nameMetrics.height() + (hasStatus ? lineGap + smallMetrics.height() : 0);
    const int top = midY - block / 2;
    const int textWidth = qMax(0, right - left);
    const int nameWidth = qMin(
        nameMetrics.horizontalAdvance(text(index, ShowListModel::NameRole)) + 2, textWidth - 18);
    g.name = QRect(left, top, qMax(0, nameWidth), nameMetrics.height());
    g.chevron = QRect(g.name.right() + 7, top + (nameMetrics.height() - 12) / 2, 12, 12);
    if (hasStatus) {
        const int y = top + nameMetrics.height() + lineGap;
        int x = left;
        if (index.data(ShowListModel::StaleRole).toBool()) {
            g.stale =
                QRect(x, y + (smallMetrics.height() - kMarkerSize) / 2, kMarkerSize, kMarkerSize);
            x = g.stale.right() + 6;
        }
        g.status = QRect(x, y, qMax(0, right - x), smallMetrics.height());
    }

    if (isExpanded(index)) {
        const int bandTop = g.card.top() + bandHeight;
        const QSize button = PillButton::sizeFor(ShowRowText::kViewEpisodes, small) + QSize(12, 4);
        const int buttonY = bandTop + (kExpansionHeight - button.height()) / 2 - 2;
        g.viewEpisodes =
            QRect(QPoint(g.card.right() - kInset - button.width() + 1, buttonY), button);
        g.footnote =
            QRect(left, bandTop, qMax(0, g.viewEpisodes.left() - 12 - left), kExpansionHeight - 4);
    }
    return g;
}

QRect ShowRowDelegate::partRect(const QStyleOptionViewItem& option, const QModelIndex& index,
                                Part part) const {
    const Geometry g = geometry(option, index);
    switch (part) {
    case Part::none:
        return {};
    case Part::row:
        return g.card;
    case Part::subscribeSwitch:
        return g.switchTrack.united(g.switchLabel);
    case Part::qualityPill:
        return g.quality;
    case Part::pickPill:
        return g.pick;
    case Part::trash:
        return g.trash;
    case Part::stale:
        return g.stale;
    case Part::viewEpisodes:
        return g.viewEpisodes;
    }
    return {};
}

ShowRowDelegate::Part ShowRowDelegate::partAt(const QStyleOptionViewItem& option,
                                              const QModelIndex& index, QPoint pos) const {
    const Geometry g = geometry(option, index);
    if (!g.card.contains(pos))
        return Part::none;
    for (Part part : {Part::subscribeSwitch, Part::qualityPill, Part::pickPill, Part::trash,
                      Part::stale, Part::viewEpisodes}) {
        if (partRect(option, index, part).adjusted(-2, -2, 2, 2).contains(pos))
            return part;
    }
    return Part::row;
}

void ShowRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const Geometry g = geometry(option, index);
    const bool expanded = isExpanded(index);
    const bool rowHovered = m_hoverIndex == index;
    const QFont small = smallFont(option.font);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);

    // The card.
    const QPainterPath card = rounded(QRectF(g.card).adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius);
    painter->fillPath(card, m_theme.color(Theme::Role::surface));
    if (expanded)
        painter->fillPath(card, m_theme.color(Theme::Role::selection));
    else if (rowHovered)
        painter->fillPath(card, m_theme.color(Theme::Role::surfaceHover));
    painter->setPen(QPen(m_theme.color(Theme::Role::separator), 1));
    painter->drawPath(card);

    // Poster, or the initials on a tinted tile.
    const QPainterPath tile = rounded(QRectF(g.poster), 5);
    const QPixmap poster = m_posters ? m_posters(index) : QPixmap();
    if (!poster.isNull()) {
        painter->save();
        painter->setClipPath(tile);
        painter->drawPixmap(g.poster, poster);
        painter->restore();
    } else {
        painter->fillPath(tile, m_theme.color(Theme::Role::selection));
        QFont initials = option.font;
        initials.setWeight(QFont::Bold);
        painter->setFont(initials);
        painter->setPen(m_theme.color(Theme::Role::accent));
        const QString letters = text(index, ShowListModel::InitialsRole);
        if (letters.isEmpty())
            m_theme.symbol(QStringLiteral("tv"), Theme::Role::accent)
                .paint(painter, g.poster.adjusted(8, 17, -8, -17));
        else
            painter->drawText(g.poster, Qt::AlignCenter, letters);
    }
    painter->setPen(QPen(m_theme.color(Theme::Role::separator), 1));
    painter->drawPath(tile);

    // Name and chevron.
    const QFont name = nameFont(option.font);
    painter->setFont(name);
    painter->setPen(m_theme.color(Theme::Role::text));
    painter->drawText(g.name, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(name).elidedText(text(index, ShowListModel::NameRole),
                                                    Qt::ElideRight, g.name.width()));
    painter->save();
    painter->translate(QRectF(g.chevron).center());
    painter->rotate(expanded ? 90 : 0);
    painter->translate(-QRectF(g.chevron).center());
    m_theme.symbol(QStringLiteral("chevron.right"), Theme::Role::faintText)
        .paint(painter, g.chevron);
    painter->restore();

    // Status line and stale marker.
    if (!g.stale.isEmpty())
        m_theme.symbol(QStringLiteral("exclamationmark.triangle.fill"), Theme::Role::attention)
            .paint(painter, g.stale);
    if (!g.status.isEmpty()) {
        const auto tone =
            static_cast<ShowRowText::Tone>(index.data(ShowListModel::StatusToneRole).toInt());
        painter->setFont(small);
        const QColor colour = m_theme.color(toneRole(tone));
        painter->setPen(colour);
        painter->drawText(g.status, Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(small).elidedText(text(index, ShowListModel::StatusLineRole),
                                                         Qt::ElideRight, g.status.width()));
    }

    // Controls.
    const bool subscribed = index.data(ShowListModel::SubscribedRole).toBool();
    VaneSwitch::paintSwitch(*painter, g.switchTrack, subscribed, true, m_theme);
    painter->setFont(small);
    painter->setPen(m_theme.color(subscribed ? Theme::Role::text : Theme::Role::secondaryText));
    painter->drawText(g.switchLabel, Qt::AlignLeft | Qt::AlignVCenter,
                      text(index, ShowListModel::SubscribeLabelRole));

    PillButton::paint(*painter, g.quality, text(index, ShowListModel::QualityLabelRole), false,
                      hovered(index, Part::qualityPill), true, m_theme, small);

    if (!g.pick.isEmpty()) {
        QColor fill = m_theme.color(Theme::Role::attention);
        fill.setAlphaF(hovered(index, Part::pickPill) ? 0.30f : 0.18f);
        const QPainterPath pill =
            rounded(QRectF(g.pick).adjusted(0.5, 0.5, -0.5, -0.5), g.pick.height() / 2.0);
        painter->fillPath(pill, fill);
        painter->setPen(QPen(m_theme.color(Theme::Role::attention), 1));
        painter->drawPath(pill);
        const QRect marker(g.pick.left() + 8, g.pick.center().y() - 6, 12, 12);
        m_theme.symbol(QStringLiteral("exclamationmark.triangle.fill"), Theme::Role::attention)
            .paint(painter, marker);
        QFont bold = small;
        bold.setWeight(QFont::DemiBold);
        painter->setFont(bold);
        painter->setPen(m_theme.color(Theme::Role::text));
        painter->drawText(g.pick.adjusted(marker.width() + 10, 0, -8, 0), Qt::AlignCenter,
                          text(index, ShowListModel::PickLabelRole));
    }

    if (hovered(index, Part::trash))
        painter->fillPath(rounded(QRectF(g.trash), 7), m_theme.color(Theme::Role::surfaceHover));
    m_theme
        .symbol(QStringLiteral("trash"),
                hovered(index, Part::trash) ? Theme::Role::danger : Theme::Role::secondaryText)
        .paint(painter, g.trash.adjusted(5, 5, -5, -5));

    // The expansion: a hairline, the footnote and "View episodes".
    if (expanded) {
        const int lineY = g.footnote.top();
        painter->setPen(QPen(m_theme.color(Theme::Role::separator), 1));
        painter->drawLine(QPointF(g.footnote.left(), lineY + 0.5),
                          QPointF(g.card.right() - kInset, lineY + 0.5));
        painter->setFont(small);
        painter->setPen(m_theme.color(Theme::Role::secondaryText));
        painter->drawText(g.footnote, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                          text(index, ShowListModel::FootnoteRole));

        const QPainterPath button = rounded(QRectF(g.viewEpisodes), g.viewEpisodes.height() / 2.0);
        QColor fill = m_theme.color(Theme::Role::accent);
        if (hovered(index, Part::viewEpisodes))
            fill = fill.lighter(110);
        painter->fillPath(button, fill);
        QFont label = small;
        label.setWeight(QFont::DemiBold);
        painter->setFont(label);
        painter->setPen(m_theme.color(Theme::Role::accentText));
        painter->drawText(g.viewEpisodes, Qt::AlignCenter, ShowRowText::kViewEpisodes);
    }

    // The keyboard's place: the card, or one of its controls.
    if (option.state & QStyle::State_HasFocus) {
        const QRect ring = m_focusPart == Part::row ? QRect() : partRect(option, index, m_focusPart);
        if (ring.isEmpty())
            m_theme.paintFocusRing(*painter, QRectF(g.card), kCardRadius);
        else
            m_theme.paintFocusRing(*painter, QRectF(ring).adjusted(-3, -3, 3, 3),
                                   (ring.height() + 6) / 2.0);
    }
    painter->restore();
}
