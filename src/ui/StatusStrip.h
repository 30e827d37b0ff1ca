#pragma once

#include "StatusStripText.h"
#include "Theme.h"

#include <QWidget>

class FlatButton;
class LiveRegion;
class QLabel;
class QVariantAnimation;
struct Watchlist;
class PublishedState;
class WatchlistOperations;

// The strip at the foot of the main window: a dot that breathes while a check runs, what the
// engine is doing and when it checks next, and "Check now". While hidden it ignores the
// once-a-second countdown and runs no animation; it catches up when shown.
class StatusStrip final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBreathMs = 900;
    static constexpr double kBreathLow = 0.35;

    StatusStrip(const Watchlist& watchlist, Theme& theme, QWidget* parent = nullptr);

    // Whether the dot is breathing now (never while the strip is hidden).
    bool isBreathing() const;
    LiveRegion* announcer() const { return m_announcer; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    PublishedState& m_published;
    WatchlistOperations& m_operations;
    Theme& m_theme;
    QWidget* m_dot;
    QLabel* m_text;
    QLabel* m_aside; // the countdown beside a problem
    LiveRegion* m_announcer;
    bool m_wasChecking = false;
    std::optional<QString> m_problem;
    FlatButton* m_checkNow;
    QVariantAnimation* m_breath;
    StatusStripState m_state;
    double m_dotOpacity = 1.0;
};
