#pragma once

#include "Theme.h"

#include <QWidget>

class ActivityListModel;
class FlatButton;
class QLabel;
class QListView;
class QStackedWidget;
struct Watchlist;
class WatchlistOperations;

// The Activity tab: the log grouped by day, newest first, and "Clear".
class ActivityView final : public QWidget {
    Q_OBJECT

public:
    ActivityView(const Watchlist& watchlist, Theme& theme, QWidget* parent = nullptr);

    ActivityListModel& model() { return *m_model; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyTheme();
    void showEmptyOrList();

    WatchlistOperations& m_operations;
    Theme& m_theme;
    ActivityListModel* m_model;
    QLabel* m_title;
    FlatButton* m_clear;
    QStackedWidget* m_pages;
    QListView* m_list;
    QWidget* m_empty;
    QLabel* m_emptyTitle;
    QLabel* m_emptyNote;
};
