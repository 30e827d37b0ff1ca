#pragma once

#include "model/AppSettings.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QPalette>

class QPainter;

// Every colour a view paints with, by role, for the light and the dark appearance, and the
// bundled symbols. Views ask the theme; none of them names a colour of its own.
class Theme final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Theme)

public:
    enum class Role {
        window,        // the window's body
        sidebar,       // the sidebar column
        surface,       // cards, rows, popovers
        surfaceHover,  // a hovered row or item
        selection,     // the selected sidebar item, an expanded row
        separator,     // hairlines between rows and sections
        text,          // primary text
        secondaryText, // notes, times, footnotes
        faintText,     // placeholders, times, headings: quieter, still readable
        disabledText,  // labels of disabled controls, decorations
        accent,        // the brand purple: buttons, links, switches that are on
        accentText,    // text on the accent
        attention,     // amber: a download that needs the user (marks and fills)
        attentionText, // words in the attention colour, deep enough to read
        success,       // a finished download, "Got it"
        danger,        // errors, removal
        checking,      // the status dot while a check runs
        idle,          // the status dot while listening
        shadow,        // the soft shadow under frameless windows
        info,          // calm blue: an episode filed into the library
        focusRing,     // the outline around the control the keyboard is on
    };
    Q_ENUM(Role)

    explicit Theme(AppTheme appearance = AppTheme::light, QObject* parent = nullptr);

    AppTheme appearance() const { return m_appearance; }
    void setAppearance(AppTheme appearance);
    bool isDark() const { return m_appearance == AppTheme::dark; }

    QColor color(Role role) const;

    // The thin scroll bar of the lists and pages, its handle in the theme's faint colour.

    QString thinScrollBarStyle() const;
    // A palette for standard widgets (line edits, menus, scroll bars) in this appearance.
    QPalette palette() const;
    // A bundled symbol ("film", "tv", "gear", …) tinted with `role`, drawn crisp at any size.
    QIcon symbol(const QString& name, Role role = Role::text) const;

    // WCAG contrast ratio of two colours (1 to 21); a translucent one is first laid over the other.
    static double contrastRatio(const QColor& foreground, const QColor& background);
    // `top` laid over the opaque `bottom`.
    static QColor composite(const QColor& top, const QColor& bottom);

    // The keyboard focus outline, drawn just inside `rect` with the given corner radius.
    void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius) const;

    // The attention amber, the same in both appearances: red 0.85, green 0.6, blue 0.3.
    static QColor amber() { return QColor::fromRgbF(0.85f, 0.6f, 0.3f); }

Q_SIGNALS:
    void changed();

private:
    AppTheme m_appearance;
};
