#pragma once

#include "Theme.h"
#include "present/EpisodeDrawerModel.h"

#include <QObject>

class QScrollArea;
class QVBoxLayout;

// The drawer's Recent tab: the series' downloads, newest first, each a card with its state
// line; a download stuck long enough offers to find an alternate, remove it or snooze it, and
// its alternates open under it. Few rows, each with up to three buttons: real widgets, rebuilt
// only when what they show changed.
class RecentPage final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecentPage)

public:
    RecentPage(Theme& theme, EpisodeDrawerModel& model);

    QScrollArea* area() const { return m_area; }
    // Builds the rows again when they read differently, or always when `force` (a new
    // opening, another theme).
    void refresh(bool force);

private:
    QWidget* row(const EpisodeDrawerModel::RecentRow& row);

    Theme& m_theme;
    EpisodeDrawerModel& m_model;
    QScrollArea* m_area;
    QVBoxLayout* m_list;
    struct Shown {
        QList<EpisodeDrawerModel::RecentRow> rows;
        std::optional<QString> switchTarget;
        QString alternatesNote;
        QList<EpisodeDrawerModel::ReleaseRow> alternates;
    } m_shown;
};
