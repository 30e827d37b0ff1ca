#pragma once

#include "Theme.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// A frameless top-level with rounded corners (radius 14) and a soft shadow: the main window,
// the agenda panel and the add panels are all one of these with their content inside.
// Without a compositor, translucency would show black corners: the panel is then drawn
// square with a one-pixel border instead (see setCompositing).
class RoundedPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRadius = 14;
    static constexpr int kShadow = 12; // the margin the shadow is drawn in, on every side

    RoundedPanel(Theme& theme, Qt::WindowFlags flags, QWidget* parent = nullptr);

    // The content goes here; the panel keeps it inside the rounded body.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // The size of the body, without the shadow margin; the widget is larger by it.
    void setBodySize(QSize size);
    QSize bodySize() const;
    // Where the body's top-left corner is on screen, and moving the panel so it is at `topLeft`.
    QPoint bodyPos() const;
    void moveBodyTo(QPoint topLeft);

    // Whether the desktop composes translucent windows (rounded, shadow) or not (square, border).
    static bool desktopComposes();
    void setCompositing(bool on);
    bool compositing() const { return m_compositing; }

    // Takes over Tab and Shift+Tab inside the panel, for panels that share one tab order
    // across several windows; answers whether it moved the focus.
    using TabHandler = std::function<bool(bool next)>;
    void setTabHandler(TabHandler handler) { m_tabHandler = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    int margin() const { return m_compositing ? kShadow : 0; }
    void applyMargins();

    Theme& m_theme;
    QPointer<QWidget> m_content;
    bool m_compositing = true;
    TabHandler m_tabHandler;
};
