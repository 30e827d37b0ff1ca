#include "DrawerButton.h"

#include <QFontMetrics>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kSymbol = 14;
constexpr int kGap = 5;
} // namespace

DrawerButton::DrawerButton(Theme& theme, Look look, const QString& label, QWidget* parent)
    : QAbstractButton(parent)
    , m_theme(theme)
    , m_look(look) {
    setText(label);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover); // a repaint as the mouse comes and goes
    setFocusPolicy(Qt::TabFocus);
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

bool DrawerButton::event(QEvent* event) {
    // A button with only a symbol is named by its tooltip for screen readers.
    if (event->type() == QEvent::ToolTipChange && text().isEmpty())
        setAccessibleName(toolTip());
    return QAbstractButton::event(event);
}

QSize DrawerButton::sizeHint() const {
    QFont f = font();
    f.setWeight(QFont::DemiBold);
    const QFontMetrics metrics(f);
    int width = metrics.horizontalAdvance(text()) + 24;
    if (!m_symbol.isEmpty())
        width += kSymbol + (text().isEmpty() ? 0 : kGap);
    return {width, metrics.height() + 10};
}

void DrawerButton::paintEvent(QPaintEvent*) {
    using Role = Theme::Role;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = body.height() / 2;
    QPainterPath path;
    path.addRoundedRect(body, radius, radius);

    const bool enabled = isEnabled();
    QColor fill = Qt::transparent;
    QColor outline = Qt::transparent;
    QColor ink = m_theme.color(Role::text);
    switch (m_look) {
    case Look::filled:
        fill = enabled ? m_theme.color(Role::accent) : m_theme.color(Role::separator);
        if (enabled && (underMouse() || isDown()))
            fill = fill.lighter(112);
        ink = enabled ? m_theme.color(Role::accentText) : m_theme.color(Role::disabledText);
        break;
    case Look::outlined:
        fill = underMouse() && enabled ? m_theme.color(Role::surfaceHover)
                                    : m_theme.color(Role::surface);
        outline = m_theme.color(Role::separator);
        ink = enabled ? m_theme.color(Role::text) : m_theme.color(Role::disabledText);
        break;
    case Look::attention: {
        const QColor amber = m_theme.color(Role::attention);
        fill = amber;
        fill.setAlphaF(underMouse() ? 0.22f : 0.12f);
        outline = amber;
        ink = m_theme.color(Role::attentionText);
        break;
    }
    case Look::plain:
        fill = underMouse() && enabled ? m_theme.color(Role::surfaceHover) : QColor(Qt::transparent);
        ink = enabled ? m_theme.color(Role::secondaryText) : m_theme.color(Role::disabledText);
        break;
    }
    painter.fillPath(path, fill);
    if (outline.alpha() > 0) {
        painter.setPen(QPen(outline, 1));
        painter.drawPath(path);
    }
    if (hasFocus())
        m_theme.paintFocusRing(painter, QRectF(rect()), radius - 1);

    QFont f = font();
    f.setWeight(QFont::DemiBold);
    painter.setFont(f);
    const QFontMetrics metrics(f);
    const int textWidth = metrics.horizontalAdvance(text());
    const int symbolWidth = m_symbol.isEmpty() ? 0 : kSymbol + (text().isEmpty() ? 0 : kGap);
    int x = (width() - textWidth - symbolWidth) / 2;
    if (!m_symbol.isEmpty()) {
        // The symbol takes the ink of the text: a tinted copy per paint is cheap at this size.
        Theme::Role role = Role::text;
        if (m_look == Look::filled)
            role = enabled ? Role::accentText : Role::disabledText;
        else if (m_look == Look::attention)
            role = Role::attentionText;
        else if (m_look == Look::plain || !enabled)
            role = enabled ? Role::secondaryText : Role::disabledText;
        m_theme.symbol(m_symbol, role)
            .paint(&painter, QRect(x, (height() - kSymbol) / 2, kSymbol, kSymbol));
        x += symbolWidth;
    }
    painter.setPen(ink);
    painter.drawText(QRect(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft,
                     text());
}

