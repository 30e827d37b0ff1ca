#pragma once

#include "Theme.h"

#include <QWidget>

class QLabel;
class QPainter;
class PublishedState;

// The About card that the sidebar's About button opens over the window: icon, name, version,
// rights notice and acknowledgements. It reads the daemon's version when first shown.
class AboutPopover final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 300;

    AboutPopover(PublishedState& state, Theme& theme, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyTheme();
    void paintAppIcon(QPainter& p, const QRect& where) const;

    PublishedState& m_state;
    Theme& m_theme;
    QWidget* m_icon; // holds the icon's place; the card paints it
    QList<QLabel*> m_labels;
    QLabel* m_engine;
    QLabel* m_rights;
    bool m_engineRead = false;
};
