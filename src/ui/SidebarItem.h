#pragma once

#include "SidebarTab.h"
#include "Theme.h"

#include <QAbstractButton>

class QVariantAnimation;

// One tab in the sidebar: symbol and label, emphasised when selected, an amber mark when a
// download under it needs the user; the hover highlight fades in and out.
class SidebarItem final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kHoverFadeMs = 120;

    SidebarItem(Theme& theme, SidebarTab tab, QWidget* parent = nullptr);

    SidebarTab tab() const { return m_tab; }
    void setSelected(bool on);
    bool isSelected() const { return m_selected; }
    void setState(const SidebarItemState& state);
    bool needsAttention() const { return m_state.needsAttention; }
    // Stops a fade in progress (the window is hidden).
    void stopAnimations();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void fadeTo(double target);

    Theme& m_theme;
    SidebarTab m_tab;
    SidebarItemState m_state;
    bool m_selected = false;
    double m_hover = 0.0; // 0 = no highlight, 1 = full
    QVariantAnimation* m_fade;
};
