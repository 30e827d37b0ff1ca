#include "CalendarView.h"

#include "ActivityDayText.h"
#include "CalendarStyle.h"
#include "FlatButton.h"
#include "SymbolView.h"
#include "api/PublishedState.h"
#include "controls/PillButton.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

using calendarstyle::label;

namespace {
constexpr int kDayRadius = 10;
constexpr int kColumnGap = 5;
} // namespace

CalendarView::CalendarView(PublishedState& state, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_theme(theme) {
    setObjectName(QStringLiteral("calendarView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(10);
    layout->addWidget(buildHeader());
    m_pages = new QStackedWidget;
    m_pages->addWidget(buildWeek());
    m_pages->addWidget(buildMonth());
    layout->addWidget(m_pages, 1);
    connect(&state, &PublishedState::calendarEventsChanged, this, &CalendarView::refresh);
    // The countdown ticks every second: enough to notice midnight while the tab stays open.
    connect(&state, &PublishedState::secondsUntilNextCheckChanged, this, [this] {
        if (isVisible() && activity::localDay(m_state.now()) != m_today)
            refresh();
    });
    refresh();
}

QWidget* CalendarView::buildHeader() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_weekPill = new PillButton(m_theme, calendar::modeLabel(calendar::Mode::week));
    m_weekPill->setObjectName(QStringLiteral("calendar.mode.week"));
    m_monthPill = new PillButton(m_theme, calendar::modeLabel(calendar::Mode::month));
    m_monthPill->setObjectName(QStringLiteral("calendar.mode.month"));
    for (PillButton* pill : {m_weekPill, m_monthPill}) {
        pill->setCheckable(true);
        row->addWidget(pill);
    }
    m_weekPill->setChecked(true);
    connect(m_weekPill, &QAbstractButton::clicked, this, [this] { setMode(calendar::Mode::week); });
    connect(m_monthPill, &QAbstractButton::clicked, this,
            [this] { setMode(calendar::Mode::month); });
    row->addStretch(1);

    m_weekControls = new QWidget;
    auto* nav = new QHBoxLayout(m_weekControls);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(4);
    const auto chevron = [this](const char* name, const char* symbol, const char* tip) {
        auto* b = new FlatButton(m_theme, QString());
        b->setObjectName(QLatin1String(name));
        b->setSymbol(QLatin1String(symbol));
        b->setToolTip(QLatin1String(tip));
        b->setAccessibleName(QLatin1String(tip));
        return b;
    };
    FlatButton* previous = chevron("calendar.previousWeek", "chevron.left", "Previous week");
    FlatButton* next = chevron("calendar.nextWeek", "chevron.right", "Next week");
    m_header = label(m_theme, QString(), Theme::Role::text, 15, QFont::Bold);
    m_header->setObjectName(QStringLiteral("calendar.weekHeader"));
    m_header->setAlignment(Qt::AlignCenter);
    m_header->setMinimumWidth(
        m_header->fontMetrics().horizontalAdvance(QStringLiteral("Mmm 28 \u2013 Mmm 28")) + 8);
    auto* today = new FlatButton(m_theme, QStringLiteral("Today"));
    today->setObjectName(QStringLiteral("calendar.today"));
    today->setTinted(true);
    nav->addWidget(previous);
    nav->addWidget(m_header);
    nav->addWidget(next);
    nav->addSpacing(4);
    nav->addWidget(today);
    row->addWidget(m_weekControls);
    connect(previous, &QAbstractButton::clicked, this, [this] { moveWeek(m_weekOffset - 1); });
    connect(next, &QAbstractButton::clicked, this, [this] { moveWeek(m_weekOffset + 1); });
    connect(today, &QAbstractButton::clicked, this, [this] { moveWeek(0); });
    return bar;
}

QWidget* CalendarView::buildWeek() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto* grid = new QWidget;
    m_days = new QGridLayout(grid);
    m_days->setContentsMargins(0, 0, 0, 0);
    m_days->setSpacing(kColumnGap);
    for (int i = 0; i < 7; ++i)
        m_days->setColumnStretch(i, 1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(grid);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus); // it follows the focused day
    scroll->viewport()->setAutoFillBackground(false);
    grid->setAutoFillBackground(false);
    layout->addWidget(scroll, 1);

    auto* legend = new QHBoxLayout;
    legend->setSpacing(14);
    legend->addStretch(1);
    for (CalEvent::EpisodeState state : calendar::legendStates()) {
        auto* item = new QHBoxLayout;
        item->setSpacing(5);
        item->addWidget(new SymbolView(m_theme, QStringLiteral("largecircle.fill.circle"),
                                       calendarstyle::stateRole(state), 10));
        item->addWidget(
            label(m_theme, calendar::stateLabel(state), Theme::Role::secondaryText, 11));
        legend->addLayout(item);
    }
    legend->addStretch(1);
    layout->addLayout(legend);

    QLabel* note = label(m_theme, calendar::sourceNote(), Theme::Role::faintText, 11);
    note->setObjectName(QStringLiteral("calendar.note"));
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    layout->addWidget(note);
    return page;
}

QWidget* CalendarView::buildMonth() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addStretch(1);
    auto* symbol = new SymbolView(m_theme, QStringLiteral("calendar"), Theme::Role::faintText, 40);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    QLabel* text = label(m_theme, calendar::monthPlaceholder(), Theme::Role::secondaryText, 13);
    text->setObjectName(QStringLiteral("calendar.monthPlaceholder"));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    layout->addStretch(1);
    return page;
}

void CalendarView::setMode(calendar::Mode mode) {
    m_mode = mode;
    m_weekPill->setChecked(mode == calendar::Mode::week);
    m_monthPill->setChecked(mode == calendar::Mode::month);
    m_weekControls->setVisible(mode == calendar::Mode::week);
    m_pages->setCurrentIndex(mode == calendar::Mode::week ? 0 : 1);
}

void CalendarView::moveWeek(int offset) {
    m_weekOffset = offset;
    refresh();
}

void CalendarView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The day may have turned while the window was hidden.
    if (activity::localDay(m_state.now()) != m_today)
        refresh();
}

void CalendarView::refresh() {
    const QDate today = activity::localDay(m_state.now());
    m_today = today;
    const QList<QDate> days = calendar::weekDays(today, m_weekOffset);
    m_header->setText(calendar::weekHeader(days));

    // A rebuild keeps the keyboard on the same column.
    int focused = -1;
    for (int i = 0; i < m_days->count(); ++i) {
        if (QWidget* w = m_days->itemAt(i)->widget(); w && w->hasFocus())
            focused = i;
    }
    while (QLayoutItem* item = m_days->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<CalEvent>& events = m_state.calendarEvents();
    for (int i = 0; i < days.size(); ++i) {
        const QDate day = days[i];
        auto* bubble = new DayBubble(m_theme, day == today, kDayRadius);
        bubble->setObjectName(QStringLiteral("calendar.day.%1").arg(i));
        bubble->setDay(calendar::dayName(day), calendar::eventsOn(events, day));
        auto* column = new QVBoxLayout(bubble);
        column->setContentsMargins(4, 8, 4, 8);
        column->setSpacing(5);
        const Theme::Role headRole =
            day == today ? Theme::Role::accent : Theme::Role::secondaryText;
        QLabel* weekday =
            label(m_theme, calendar::columnWeekday(day).toUpper(), headRole, 10, QFont::DemiBold);
        QLabel* number =
            label(m_theme, calendar::columnDayNumber(day),
                  day == today ? Theme::Role::accent : Theme::Role::text, 18, QFont::Bold);
        weekday->setAlignment(Qt::AlignHCenter);
        number->setAlignment(Qt::AlignHCenter);
        column->addWidget(weekday);
        column->addWidget(number);
        column->addSpacing(2);
        for (const CalEvent& event : calendar::eventsOn(events, day))
            column->addWidget(new EventChip(m_theme, event));
        column->addStretch(1);
        bubble->setMinimumHeight(220);
        m_days->addWidget(bubble, 0, i);
        bubble->show(); // now, not on the next turn: the layout counts it at once
        if (i == focused)
            bubble->setFocus();
    }
}
