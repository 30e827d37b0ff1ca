#pragma once

#include "Theme.h"

#include <QAbstractButton>

// The small rounded choice button: resolutions in the series list, the add forms and the
// settings. Checkable; a selected pill is filled with the accent.
class PillButton final : public QAbstractButton {
    Q_OBJECT

public:
    PillButton(Theme& theme, const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // The pill's look, shared with list delegates that draw pills without a widget.
    static void paint(QPainter& painter, const QRect& rect, const QString& label, bool selected,
                      bool hovered, bool enabled, const Theme& theme, const QFont& font);
    static QSize sizeFor(const QString& label, const QFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Theme& m_theme;
};
