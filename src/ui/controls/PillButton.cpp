#include "PillButton.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

PillButton::PillButton(Theme& theme, const QString& label, QWidget* parent)
    : QAbstractButton(parent)
    , m_theme(theme) {
    setText(label);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover); // a repaint as the mouse comes and goes
    setFocusPolicy(Qt::TabFocus);
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

QSize PillButton::sizeFor(const QString& label, const QFont& font) {
    const QFontMetrics metrics(font);
    return {metrics.horizontalAdvance(label) + 20, metrics.height() + 8};
}

QSize PillButton::sizeHint() const {
    return sizeFor(text(), font());
}

void PillButton::paint(QPainter& painter, const QRect& rect, const QString& label, bool selected,
                       bool hovered, bool enabled, const Theme& theme, const QFont& font) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = body.height() / 2;
    QPainterPath path;
    path.addRoundedRect(body, radius, radius);
    if (selected) {
        painter.fillPath(path, theme.color(Theme::Role::accent));
    } else {
        painter.fillPath(path, hovered ? theme.color(Theme::Role::surfaceHover)
                                       : theme.color(Theme::Role::surface));
        painter.setPen(QPen(theme.color(Theme::Role::separator), 1));
        painter.drawPath(path);
    }
    QFont text = font;
    text.setWeight(selected ? QFont::DemiBold : QFont::Medium);
    painter.setFont(text);
    painter.setPen(!enabled  ? theme.color(Theme::Role::disabledText)
                   : selected ? theme.color(Theme::Role::accentText)
                              : theme.color(Theme::Role::text));
    painter.drawText(rect, Qt::AlignCenter, label);
    painter.restore();
}

void PillButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), text(), isChecked(), underMouse(), isEnabled(), m_theme, font());
    if (hasFocus())
        m_theme.paintFocusRing(painter, QRectF(rect()), height() / 2.0 - 1);
}

