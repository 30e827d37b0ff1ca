#pragma once

#include "Theme.h"

#include <QWidget>

// A bundled symbol as a widget of its own size, tinted by the theme, sharp at any scale.
class SymbolView final : public QWidget {
    Q_OBJECT

public:
    SymbolView(Theme& theme, const QString& name, Theme::Role role, int size,
               QWidget* parent = nullptr);

    void setSymbol(const QString& name) {
        m_name = name;
        update();
    }
    void setRole(Theme::Role role) {
        m_role = role;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Theme& m_theme;
    QString m_name;
    Theme::Role m_role;
};
