#include "FlatButton.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kIcon = 16;
constexpr int kGap = 10; // labels line up with the sidebar items above
constexpr int kPadX = 10;
} // namespace

FlatButton::FlatButton(Theme& theme, const QString& text, QWidget* parent)
    : QAbstractButton(parent)
    , m_theme(theme) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover); // a repaint as the mouse comes and goes
    setFocusPolicy(Qt::TabFocus);
    setPixelSize(12);
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

bool FlatButton::event(QEvent* event) {
    // A button with only a symbol is named by its tooltip for screen readers.
    if (event->type() == QEvent::ToolTipChange && text().isEmpty())
        setAccessibleName(toolTip());
    return QAbstractButton::event(event);
}

void FlatButton::setFaint(bool on) {
    if (on == m_faint)
        return;
    m_faint = on;
    update();
}

void FlatButton::setPixelSize(int px) {
    QFont f = font();
    f.setPixelSize(px);
    f.setWeight(QFont::Medium);
    setFont(f);
    updateGeometry();
}

QSize FlatButton::sizeHint() const {
    const QFontMetrics fm(font());
    int w = fm.horizontalAdvance(text()) + 2 * kPadX;
    if (!m_symbol.isEmpty())
        w += kIcon + kGap;
    return {w, std::max(fm.height() + 10, 26)};
}

void FlatButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = Qt::transparent;
    if (m_tinted) {
        fill = m_theme.color(Theme::Role::accent);
        // A deeper tint would take the label below 4.5:1; the mouse gets an outline instead.
        fill.setAlphaF(0.13f);
    } else if (underMouse() || isDown()) {
        fill = m_theme.color(Theme::Role::surfaceHover);
    }
    if (fill.alpha() > 0) {
        QPainterPath path;
        path.addRoundedRect(body, body.height() / 2, body.height() / 2);
        p.fillPath(path, fill);
        if (m_tinted && underMouse() && !m_faint) {
            p.setPen(QPen(m_theme.color(Theme::Role::accent), 1));
            p.drawPath(path);
        }
    }
    if (hasFocus()) { // the keyboard's place, as the pills show it
        p.setPen(QPen(m_theme.color(Theme::Role::accent), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), body.height() / 2, body.height() / 2);
    }
    p.setOpacity(m_faint ? 0.5 : 1.0);
    int x = (width() - sizeHint().width()) / 2 + kPadX;
    if (!m_symbol.isEmpty()) {
        m_theme.symbol(m_symbol, m_role).paint(&p, QRect(x, (height() - kIcon) / 2, kIcon, kIcon));
        x += kIcon + kGap;
    }
    if (hasFocus()) {
        p.setOpacity(1.0);
        m_theme.paintFocusRing(p, QRectF(rect()), height() / 2.0 - 1);
        p.setOpacity(m_faint ? 0.5 : 1.0);
    }
    p.setPen(m_theme.color(m_role));
    p.setFont(font());
    p.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}
