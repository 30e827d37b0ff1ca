#pragma once

#include "CalendarText.h"
#include "Theme.h"

#include <QDate>
#include <QWidget>

class FlatButton;
class PillButton;
class PublishedState;
class QGridLayout;
class QLabel;
class QStackedWidget;

// The Calendar tab: one week at a time, each day's episodes in their state's colours, with
// the week switcher, a legend and a note on the dates' source.
class CalendarView final : public QWidget {
    Q_OBJECT

public:
    CalendarView(PublishedState& state, Theme& theme, QWidget* parent = nullptr);

    calendar::Mode mode() const { return m_mode; }
    int weekOffset() const { return m_weekOffset; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildWeek();
    QWidget* buildMonth();
    void setMode(calendar::Mode mode);
    void moveWeek(int offset);
    void refresh();

    PublishedState& m_state;
    Theme& m_theme;
    calendar::Mode m_mode = calendar::Mode::week;
    int m_weekOffset = 0;
    QDate m_today; // the day the week was last drawn for
    PillButton* m_weekPill = nullptr;
    PillButton* m_monthPill = nullptr;
    QWidget* m_weekControls = nullptr;
    QLabel* m_header = nullptr;
    QStackedWidget* m_pages = nullptr;
    QGridLayout* m_days = nullptr;
};
