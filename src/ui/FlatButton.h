#pragma once

#include "Theme.h"

#include <QAbstractButton>

// A small borderless button: a label, optionally a symbol before it, a soft background when
// hovered. `tinted` gives it a faint accent fill, for the one action of a strip or header.
class FlatButton final : public QAbstractButton {
    Q_OBJECT

public:
    FlatButton(Theme& theme, const QString& text, QWidget* parent = nullptr);

    void setSymbol(const QString& name) {
        m_symbol = name;
        updateGeometry();
        update();
    }
    void setTextRole(Theme::Role role) {
        m_role = role;
        update();
    }
    void setTinted(bool on) {
        m_tinted = on;
        update();
    }
    // Draws the label fainter without disabling the button.
    void setFaint(bool on);
    bool isFaint() const { return m_faint; }
    void setPixelSize(int px);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Theme& m_theme;
    QString m_symbol;
    Theme::Role m_role = Theme::Role::text;
    bool m_tinted = false;
    bool m_faint = false;
};
