#pragma once

#include "Theme.h"

#include <QList>
#include <QWidget>

class AddShowModel;
class AddShowResultsList;
class ImageLoader;
class PillButton;
class PlanChoice;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QStackedWidget;

// The results panel: TMDB's matches under "Which series?", or the releases with their tick
// boxes, sort order, season filter and counts, and the plan once something is ticked.
class AddShowResultsView final : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize kSize{604, 470};

    AddShowResultsView(AddShowModel& model, Theme& theme, ImageLoader& images,
                       QWidget* parent = nullptr);

    QListView* list() const { return m_list; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void applyTheme();
    void refresh();
    void refreshPlan();

    AddShowModel& m_model;
    Theme& m_theme;
    AddShowResultsList* m_rows = nullptr;
    QLabel* m_heading = nullptr;
    QComboBox* m_season = nullptr;
    QWidget* m_sortRow = nullptr;
    QLabel* m_sortLabel = nullptr;
    QList<PillButton*> m_sorts;
    QLabel* m_fallback = nullptr;
    QStackedWidget* m_body = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_emptyTitle = nullptr;
    QLabel* m_emptyNote = nullptr;
    QPushButton* m_retry = nullptr;
    QWidget* m_plan = nullptr;
    QLabel* m_planLabel = nullptr;
    QList<PlanChoice*> m_planRows;
};
