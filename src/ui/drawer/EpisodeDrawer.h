#pragma once

#include "Theme.h"
#include "present/EpisodeDrawerModel.h"

#include <QList>
#include <QUuid>
#include <QWidget>

class DrawerButton;
class EpisodeListModel;
class DrawerListView;
class RecentPage;
class PillButton;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class QHBoxLayout;
struct Watchlist;

// The episode drawer: opens over the main window's content (its parent, which it covers) for
// one series, with the tabs "Recent" and "Episodes". Every text and state comes from
// EpisodeDrawerModel; this class lays them out and forwards presses. Both lists are list
// models painted by delegates, kept up to date only while the drawer is on screen. Closing
// hides it and says so, and the window shows its list again.
class EpisodeDrawer final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeDrawer)

public:
    EpisodeDrawer(const Watchlist& watchlist, Theme& theme, QWidget* parent);
    ~EpisodeDrawer() override;

    void openFor(const QUuid& showID);
    EpisodeDrawerModel& model() { return *m_model; }

Q_SIGNALS:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build();
    QWidget* buildHeader();
    QWidget* buildMessagePage();
    QWidget* buildPickPage();
    QWidget* buildReadyPage();
    QWidget* buildRecentPage();
    void applyTheme();
    void refresh();
    void refreshPhase();
    void refreshSeasons();
    void refreshEpisodes();
    void closeDrawer();
    QLabel* label(Theme::Role role, qreal scale = 1.0, bool bold = false);
    void placeOffers(int first, int last);

    Theme& m_theme;
    EpisodeDrawerModel* m_model;
    QList<std::pair<QLabel*, Theme::Role>> m_tinted; // static labels and their colour role

    QLabel* m_title = nullptr;
    PillButton* m_recentTab = nullptr;
    PillButton* m_episodesTab = nullptr;
    QStackedWidget* m_pages = nullptr;      // recent, episodes
    QStackedWidget* m_phasePages = nullptr; // message, pick, ready
    QLabel* m_messageSymbol = nullptr;
    QLabel* m_messageTitle = nullptr;
    QLabel* m_messageDetail = nullptr;
    DrawerButton* m_retryButton = nullptr;
    QLabel* m_pickHeading = nullptr;
    QVBoxLayout* m_candidates = nullptr;
    QHBoxLayout* m_seasonPills = nullptr;
    QScrollArea* m_seasonScroll = nullptr;
    DrawerButton* m_completeButton = nullptr;
    EpisodeListModel* m_episodes;
    DrawerListView* m_episodeView = nullptr;
    QStackedWidget* m_episodePages = nullptr; // the list, or the note while there are no rows
    QLabel* m_episodesNote = nullptr;
    RecentPage* m_recent = nullptr;

    // What is on screen, so that a change elsewhere in the store rebuilds nothing here.
    struct Shown {
        QList<int> seasons;
        int selectedSeason = -1;
        QList<SeriesResult> candidates;
        bool valid = false;
    } m_shown;
};
