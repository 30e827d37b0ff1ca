#pragma once

#include "Theme.h"
#include "model/CalEvent.h"

#include <QLabel>
#include <QWidget>

// The pieces both calendar views are drawn with: a day's rounded bubble and an event's chip in
// its state's colour.
namespace calendarstyle {

Theme::Role stateRole(CalEvent::EpisodeState state);

// A label in `role`, following theme switches.
QLabel* label(Theme& theme, const QString& text, Theme::Role role, int pixelSize,
              QFont::Weight weight = QFont::Normal);

} // namespace calendarstyle

// A rounded background for one day; today's is filled with the selection colour.
class DayBubble final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool highlighted READ isHighlighted)

public:
    DayBubble(Theme& theme, bool highlighted, int radius, QWidget* parent = nullptr);
    bool isHighlighted() const { return m_highlighted; }
    // A tab stop that reads the day and its events; the arrow keys move to the next day.
    void setDay(const QString& name, const QList<CalEvent>& events);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Theme& m_theme;
    bool m_highlighted;
    int m_radius;
};

// One episode: a dot and a tint in its state's colour, the series name and the episode code;
// the tooltip joins the two.
class EventChip final : public QWidget {
    Q_OBJECT

public:
    EventChip(Theme& theme, const CalEvent& event, QWidget* parent = nullptr);
    CalEvent::EpisodeState state() const { return m_state; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // A long series name wraps onto a second line in a narrow column.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont nameFont() const;
    QRect nameRect(int width) const;

    Theme& m_theme;
    QString m_name;
    QString m_code;
    CalEvent::EpisodeState m_state;
};
