#pragma once

#include "MagnetDrag.h"
#include "RoundedPanel.h"

class WindowDragArea;

// The main window: a rounded frameless panel of 760 × 520 whose background drags it around,
// holding its magnet. Created once, then only hidden and shown again.
//
// Floating: a tool window without a taskbar entry, reached through the tray icon. Ordinary:
// where no tray exists, the same window with a taskbar entry, and closing it ends Lumivane.
class KeyableWindow final : public RoundedPanel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyableWindow)

public:
    enum class Kind { floating, ordinary };
    static constexpr QSize kBodySize{760, 520};

    KeyableWindow(Theme& theme, Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    // The content sits on the drag area, so that its background moves the window.
    void setWindowContent(QWidget* content);
    QWidget* windowContent() const;

    MagnetDrag& magnet() { return m_magnet; }
    // The usable area of the screen the window is on (the primary one when it is on none).
    MagnetDrag::Frame magnetFrame() const;
    // The magnet follows the setting; switching it on attaches the window to the top.
    void setMagnetEnabled(bool on);

    // Shown, in front and with the keyboard focus.
    void present();

Q_SIGNALS:
    // The window system was asked to close it (an ordinary window's close button, a shortcut).
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Kind m_kind;
    MagnetDrag m_magnet;
    WindowDragArea* m_dragArea;
};
