#include "KeyableWindow.h"

#include "WindowDragArea.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace {

Qt::WindowFlags flagsFor(KeyableWindow::Kind kind) {
    return kind == KeyableWindow::Kind::floating ? Qt::Tool : Qt::Window;
}

} // namespace

KeyableWindow::KeyableWindow(Theme& theme, Kind kind, QWidget* parent)
    : RoundedPanel(theme, flagsFor(kind), parent)
    , m_kind(kind)
    , m_dragArea(new WindowDragArea(*this, m_magnet, [this] { return magnetFrame(); })) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Lumivane"));
    setBodySize(kBodySize);
    setContent(m_dragArea);
}

void KeyableWindow::setWindowContent(QWidget* content) {
    m_dragArea->setContent(content);
}

QWidget* KeyableWindow::windowContent() const {
    return m_dragArea->content();
}

MagnetDrag::Frame KeyableWindow::magnetFrame() const {
    QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect visible = on ? on->availableGeometry() : QRect(QPoint(0, 0), kBodySize);
    return {QRectF(visible), QSizeF(bodySize())};
}

void KeyableWindow::setMagnetEnabled(bool on) {
    if (on == m_magnet.magnetEnabled())
        return;
    if (const auto to = m_magnet.setMagnetEnabled(on, bodyPos(), magnetFrame()))
        moveBodyTo(to->toPoint());
}

void KeyableWindow::present() {
    show();
    raise();
    activateWindow();
}

void KeyableWindow::closeEvent(QCloseEvent* event) {
    // Never destroyed: the shell decides whether a close hides the window or ends Lumivane.
    event->ignore();
    Q_EMIT closeRequested();
}
