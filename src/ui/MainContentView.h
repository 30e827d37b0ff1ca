#pragma once

#include "SidebarTab.h"
#include "Theme.h"

#include <QWidget>

#include <array>

class AboutPopover;
class FlatButton;
class QStackedWidget;
class SidebarItem;
class StatusStrip;
struct Watchlist;
class PublishedState;

// The content of the main window: the sidebar with the five tabs, the chosen tab's view and
// the status strip. Tabs whose views are not built yet show a plain panel saying so; a view
// arrives through setTabView.
class MainContentView final : public QWidget {
    Q_OBJECT

public:
    MainContentView(const Watchlist& watchlist, Theme& theme, QWidget* parent = nullptr);

    // Puts `view` in `tab`'s place (the view is owned from then on; the old one is deleted).
    void setTabView(SidebarTab tab, QWidget* view);
    void selectTab(SidebarTab tab);
    SidebarTab selectedTab() const { return m_selected; }

Q_SIGNALS:
    void closeRequested();
    // The window went away: views drop what they had open, so it comes back afresh.
    void windowHidden();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab walks the window in visual order: sidebar, the tab's view, the status strip; an open
    // covering panel (the episode drawer) keeps the keyboard to itself.
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kSidebarWidth = 184;

    QWidget* buildSidebar();
    QWidget* comingPanel(SidebarTab tab);
    void refreshAttention();
    // While a child covers the whole content (the drawer), what it covers is hidden, so that a
    // screen reader does not read it as showing.
    void hideCovered();
    // An open child over the whole content (the drawer), if any.
    QWidget* coveringChild() const;
    void openHomeFolder();
    void toggleAbout();
    void placeAbout();
    int cornerRadius() const;

    PublishedState& m_state;
    Theme& m_theme;
    SidebarTab m_selected = SidebarTab::shows;
    std::array<SidebarItem*, 5> m_items{};
    QStackedWidget* m_pages = nullptr;
    StatusStrip* m_status = nullptr;
    QWidget* m_sidebar = nullptr;
    FlatButton* m_aboutButton = nullptr;
    AboutPopover* m_about = nullptr;
};
