#pragma once

#include "Theme.h"
#include "present/EpisodeDrawerModel.h"

#include <QObject>

class DrawerListView;
class QLabel;
class QStackedWidget;
class QWidget;
class RecentListModel;

// The drawer's Recent tab: the series' downloads, newest first, as a list model painted by a
// delegate; a download stuck long enough offers to find an alternate, remove it or snooze it,
// and its alternates open under it as a panel of real buttons. Without downloads, a note.
class RecentPage final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecentPage)

public:
    RecentPage(Theme& theme, EpisodeDrawerModel& model);

    QWidget* page() const;
    void setLive(bool live);
    // Shows the note or the list; `restyle` builds the panels again in the theme's colours.
    void refresh(bool restyle);

private:
    void placePanels(int first, int last);

    Theme& m_theme;
    EpisodeDrawerModel& m_model;
    RecentListModel* m_rows;
    DrawerListView* m_view;
    QLabel* m_empty;
    QStackedWidget* m_pages;
};
