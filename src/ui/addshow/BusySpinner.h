#pragma once

#include "Theme.h"

#include <QTimer>
#include <QWidget>

// A small turning arc beside a busy line. It turns only while running and visible.
class BusySpinner final : public QWidget {
    Q_OBJECT

public:
    explicit BusySpinner(Theme& theme, QWidget* parent = nullptr);

    void setRunning(bool running);
    bool isRunning() const { return m_running; }
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void sync();

    Theme& m_theme;
    QTimer m_timer;
    bool m_running = false;
    int m_angle = 0;
};
