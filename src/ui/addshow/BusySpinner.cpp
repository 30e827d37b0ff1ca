#include "BusySpinner.h"

#include <QPainter>

BusySpinner::BusySpinner(Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_theme(theme) {
    setFixedSize(sizeHint());
    m_timer.setInterval(60);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

void BusySpinner::setRunning(bool running) {
    m_running = running;
    setVisible(running);
    sync();
}

void BusySpinner::sync() {
    if (m_running && isVisible())
        m_timer.start();
    else
        m_timer.stop();
}

void BusySpinner::showEvent(QShowEvent*) {
    sync();
}

void BusySpinner::hideEvent(QHideEvent*) {
    sync();
}

void BusySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = QRectF(rect()).adjusted(2, 2, -2, -2);
    QColor faint = m_theme.color(Theme::Role::separator);
    painter.setPen(QPen(faint, 2));
    painter.drawEllipse(ring);
    painter.setPen(QPen(m_theme.color(Theme::Role::accent), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, -m_angle * 16, 100 * 16);
}
