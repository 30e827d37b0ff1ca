#include "SidebarItem.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace {
constexpr int kInset = 10; // from the sidebar's edges
constexpr int kIcon = 16;
} // namespace

SidebarItem::SidebarItem(Theme& theme, SidebarTab tab, QWidget* parent)
    : QAbstractButton(parent)
    , m_theme(theme)
    , m_tab(tab)
    , m_state(sidebarItemState(tab, 0, 0))
    , m_fade(new QVariantAnimation(this)) {
    setObjectName(QStringLiteral("sidebar.") + toRaw(tab));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(m_state.label);
    m_fade->setDuration(kHoverFadeMs);
    m_fade->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_hover = v.toDouble();
        update();
    });
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

void SidebarItem::setSelected(bool on) {
    if (on == m_selected)
        return;
    m_selected = on;
    update();
}

void SidebarItem::setState(const SidebarItemState& state) {
    if (state.needsAttention == m_state.needsAttention && state.label == m_state.label)
        return;
    m_state = state;
    setToolTip(m_state.toolTip);
    update();
}

void SidebarItem::stopAnimations() {
    m_fade->stop();
    m_hover = underMouse() ? 1.0 : 0.0;
}

QSize SidebarItem::sizeHint() const {
    return {160, 32};
}

void SidebarItem::enterEvent(QEnterEvent* event) {
    fadeTo(1.0);
    QAbstractButton::enterEvent(event);
}

void SidebarItem::leaveEvent(QEvent* event) {
    fadeTo(0.0);
    QAbstractButton::leaveEvent(event);
}

void SidebarItem::fadeTo(double target) {
    m_fade->stop();
    // A fade reversed halfway takes only the time left to undo it.
    m_fade->setDuration(std::max(1, int(kHoverFadeMs * std::abs(target - m_hover))));
    m_fade->setStartValue(m_hover);
    m_fade->setEndValue(target);
    m_fade->start();
}

void SidebarItem::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = QRectF(rect()).adjusted(kInset, 1, -kInset, -1);
    QPainterPath path;
    path.addRoundedRect(pill, 8, 8);
    if (m_selected) {
        p.fillPath(path, m_theme.color(Theme::Role::selection));
    } else if (m_hover > 0.0) {
        QColor hover = m_theme.color(Theme::Role::surfaceHover);
        hover.setAlphaF(hover.alphaF() * float(m_hover));
        p.fillPath(path, hover);
    }

    if (hasFocus())
        m_theme.paintFocusRing(p, pill, 8);

    const Theme::Role iconRole = m_state.needsAttention ? Theme::Role::attention
                                 : m_selected           ? Theme::Role::accent
                                                        : Theme::Role::secondaryText;
    const int x = int(pill.left()) + 10;
    m_theme.symbol(m_state.symbol, iconRole)
        .paint(&p, QRect(x, (height() - kIcon) / 2, kIcon, kIcon));

    QFont f = font();
    f.setPixelSize(13);
    f.setWeight(m_selected ? QFont::DemiBold : QFont::Normal);
    p.setFont(f);
    p.setPen(m_theme.color(m_selected ? Theme::Role::text : Theme::Role::secondaryText));
    const int textX = x + kIcon + 10;
    p.drawText(QRect(textX, 0, int(pill.right()) - textX - 18, height()),
               Qt::AlignVCenter | Qt::AlignLeft, m_state.label);

    if (m_state.needsAttention) {
        p.setPen(Qt::NoPen);
        p.setBrush(m_theme.color(Theme::Role::attention));
        p.drawEllipse(QPointF(pill.right() - 12, pill.center().y()), 3.5, 3.5);
    }
}
