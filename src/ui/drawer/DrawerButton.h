#pragma once

#include "Theme.h"

#include <QAbstractButton>

// The drawer's capsule buttons: a filled one for the main action of a row ("Grab"), outlined
// ones for the others, a plain one for quiet actions. Painted from the theme, never styled.
class QPainter;

class DrawerButton final : public QAbstractButton {
    Q_OBJECT

public:
    enum class Look {
        filled,    // accent fill
        outlined,  // surface with a hairline
        attention, // amber outline and text: something waits for the user
        plain,     // text and symbol only, a tint on hover
    };

    DrawerButton(Theme& theme, Look look, const QString& label, QWidget* parent = nullptr);

    void setSymbol(const QString& name) {
        m_symbol = name;
        updateGeometry();
        update();
    }
    void setLook(Look look) {
        m_look = look;
        update();
    }

    QSize sizeHint() const override;

    // What a button of this look says and where, for a delegate that paints one in a row.
    struct Face {
        Look look = Look::outlined;
        QString text;
        QString symbol;
        bool enabled = true;
        bool hovered = false;
        bool focused = false;
    };
    static QSize sizeFor(const QString& text, const QString& symbol, const QFont& font);
    static void paint(QPainter& painter, const QRect& rect, const Face& face, Theme& theme,
                      const QFont& font);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Theme& m_theme;
    Look m_look;
    QString m_symbol;
};
