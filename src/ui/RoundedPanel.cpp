#include "RoundedPanel.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

RoundedPanel::RoundedPanel(Theme& theme, Qt::WindowFlags flags, QWidget* parent)
    : QWidget(parent, flags | Qt::FramelessWindowHint)
    , m_theme(theme) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    m_compositing = desktopComposes();
    applyMargins();
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

void RoundedPanel::setContent(QWidget* content) {
    if (m_content)
        m_content->deleteLater();
    m_content = content;
    layout()->addWidget(content);
}

void RoundedPanel::setBodySize(QSize size) {
    const int m = margin();
    setFixedSize(size + QSize(2 * m, 2 * m));
}

QSize RoundedPanel::bodySize() const {
    const int m = margin();
    return size() - QSize(2 * m, 2 * m);
}

QPoint RoundedPanel::bodyPos() const {
    return pos() + QPoint(margin(), margin());
}

void RoundedPanel::moveBodyTo(QPoint topLeft) {
    move(topLeft - QPoint(margin(), margin()));
}

bool RoundedPanel::desktopComposes() {
    // Offscreen rendering (tests, screenshots) and Wayland always compose; on X11 only a running
    // compositing manager does, which the shell tells the panels through setCompositing.
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("xcb") || qEnvironmentVariableIsSet("LUMIVANE_COMPOSITED");
}

void RoundedPanel::setCompositing(bool on) {
    if (on == m_compositing)
        return;
    const QSize body = bodySize();
    m_compositing = on;
    applyMargins();
    setBodySize(body);
    update();
}

void RoundedPanel::applyMargins() {
    const int m = margin();
    layout()->setContentsMargins(m, m, m, m);
}

void RoundedPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(margin(), margin(), -margin(), -margin());
    if (!m_compositing) {
        painter.fillRect(rect(), m_theme.color(Theme::Role::window));
        painter.setPen(m_theme.color(Theme::Role::separator));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        return;
    }
    // A soft shadow: rings of falling opacity around the body, a little lower than it.
    const QColor shadow = m_theme.color(Theme::Role::shadow);
    for (int i = kShadow; i > 0; --i) {
        QColor ring = shadow;
        ring.setAlphaF(shadow.alphaF() * 0.18 * (1.0 - double(i) / kShadow));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ring);
        painter.drawRoundedRect(body.adjusted(-i, -i + 3, i, i + 3), kRadius + i, kRadius + i);
    }
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    painter.fillPath(path, m_theme.color(Theme::Role::window));
    painter.setPen(QPen(m_theme.color(Theme::Role::separator), 1));
    painter.setBrush(Qt::NoBrush); // the outline only; the last shadow ring's brush would tint the body
    painter.drawPath(path);
}

bool RoundedPanel::focusNextPrevChild(bool next) {
    if (m_tabHandler && m_tabHandler(next))
        return true;
    return QWidget::focusNextPrevChild(next);
}
