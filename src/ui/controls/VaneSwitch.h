#pragma once

#include "Theme.h"

#include <QAbstractButton>

// A titled toggle row: a title, an optional note under it and a switch on the right. The whole
// row toggles; `toggled(bool)` reports the new state.
class VaneSwitch final : public QAbstractButton {
    Q_OBJECT

public:
    VaneSwitch(Theme& theme, const QString& title, const QString& note = {}, QWidget* parent = nullptr);

    void setNote(const QString& note);
    QString note() const { return m_note; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // The switch itself (track and knob), shared with list delegates that draw it without a widget.
    static constexpr QSize kSwitchSize{34, 20};
    static void paintSwitch(QPainter& painter, const QRect& rect, bool on, bool enabled,
                            const Theme& theme);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QRect noteRect(int width) const;

    Theme& m_theme;
    QString m_note;
};
