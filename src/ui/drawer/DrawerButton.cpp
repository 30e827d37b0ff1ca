#include "DrawerButton.h"

#include <QEvent>
#include <QFontMetrics>
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
    return sizeFor(text(), m_symbol, font());
}

QSize DrawerButton::sizeFor(const QString& text, const QString& symbol, const QFont& font) {
    QFont f = font;
    f.setWeight(QFont::DemiBold);
    const QFontMetrics metrics(f);
    int width = metrics.horizontalAdvance(text) + 24;
    if (!symbol.isEmpty())
        width += kSymbol + (text.isEmpty() ? 0 : kGap);
    return {width, metrics.height() + 10};
}

void DrawerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(),
          {m_look, text(), m_symbol, isEnabled(), underMouse() || isDown(), hasFocus()}, m_theme,
          font());
}

void DrawerButton::paint(QPainter& painter, const QRect& rect, const Face& face, Theme& theme,
                         const QFont& font) {
    using Role = Theme::Role;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = body.height() / 2;
    QPainterPath path;
    path.addRoundedRect(body, radius, radius);

    const bool enabled = face.enabled;
    const bool hovered = face.hovered;
    QColor fill = Qt::transparent;
    QColor outline = Qt::transparent;
    QColor ink = theme.color(Role::text);
    switch (face.look) {
    case Look::filled:
        fill = enabled ? theme.color(Role::accent) : theme.color(Role::separator);
        if (enabled && hovered)
            fill = fill.lighter(112);
        ink = enabled ? theme.color(Role::accentText) : theme.color(Role::disabledText);
        break;
    case Look::outlined:
        fill = hovered && enabled ? theme.color(Role::surfaceHover) : theme.color(Role::surface);
        outline = theme.color(Role::separator);
        ink = enabled ? theme.color(Role::text) : theme.color(Role::disabledText);
        break;
    case Look::attention: {
        const QColor amber = theme.color(Role::attention);
        fill = amber;
        fill.setAlphaF(hovered ? 0.22f : 0.12f);
        outline = amber;
        ink = theme.color(Role::attentionText);
        break;
    }
    case Look::plain:
        fill = hovered && enabled ? theme.color(Role::surfaceHover) : QColor(Qt::transparent);
        ink = enabled ? theme.color(Role::secondaryText) : theme.color(Role::disabledText);
        break;
    }
    painter.fillPath(path, fill);
    if (outline.alpha() > 0) {
        painter.setPen(QPen(outline, 1));
        painter.drawPath(path);
    }
    if (face.focused)
        theme.paintFocusRing(painter, QRectF(rect), radius - 1);

    QFont f = font;
    f.setWeight(QFont::DemiBold);
    painter.setFont(f);
    const QFontMetrics metrics(f);
    const int textWidth = metrics.horizontalAdvance(face.text);
    const int symbolWidth = face.symbol.isEmpty() ? 0 : kSymbol + (face.text.isEmpty() ? 0 : kGap);
    int x = rect.left() + (rect.width() - textWidth - symbolWidth) / 2;
    if (!face.symbol.isEmpty()) {
        // The symbol takes the ink of the text: a tinted copy per paint is cheap at this size.
        Theme::Role role = Role::text;
        if (face.look == Look::filled)
            role = enabled ? Role::accentText : Role::disabledText;
        else if (face.look == Look::attention)
            role = Role::attentionText;
        else if (face.look == Look::plain || !enabled)
            role = enabled ? Role::secondaryText : Role::disabledText;
        theme.symbol(face.symbol, role)
            .paint(&painter,
                   QRect(x, rect.top() + (rect.height() - kSymbol) / 2, kSymbol, kSymbol));
        x += symbolWidth;
    }
    painter.setPen(ink);
    painter.drawText(QRect(x, rect.top(), textWidth + 1, rect.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, face.text);
    painter.restore();
}
