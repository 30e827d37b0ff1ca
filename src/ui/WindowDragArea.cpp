#include "WindowDragArea.h"

#include "RoundedPanel.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

WindowDragArea::WindowDragArea(RoundedPanel& window, MagnetDrag& magnet,
                               std::function<MagnetDrag::Frame()> frame, QWidget* parent)
    : QWidget(parent)
    , m_window(window)
    , m_magnet(magnet)
    , m_frame(std::move(frame)) {
    setObjectName(QStringLiteral("windowDragArea"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void WindowDragArea::setContent(QWidget* content) {
    if (m_content)
        m_content->deleteLater();
    m_content = content;
    if (content)
        layout()->addWidget(content);
}

bool WindowDragArea::hasGlobalCoordinates() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void WindowDragArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    MagnetDrag& magnet = m_magnet;
    const bool systemMove = !hasGlobalCoordinates() ||
                            magnet.press(event->globalPosition(), m_window.bodyPos(), m_frame()) ==
                                MagnetDrag::PressResult::systemMove;
    m_tracking = !systemMove;
    if (systemMove && m_window.windowHandle())
        m_window.windowHandle()->startSystemMove();
}

void WindowDragArea::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tracking || !(event->buttons() & Qt::LeftButton))
        return;
    if (const auto to = m_magnet.drag(event->globalPosition(), m_window.bodyPos(), m_frame()))
        m_window.moveBodyTo(to->toPoint());
}

void WindowDragArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_tracking)
        return;
    m_tracking = false;
    if (const auto to = m_magnet.release(m_window.bodyPos(), m_frame()))
        m_window.moveBodyTo(to->toPoint());
}
