#include "AgendaView.h"

#include "ActivityDayText.h"
#include "CalendarStyle.h"
#include "CalendarText.h"
#include "FlatButton.h"
#include "api/PublishedState.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using calendarstyle::label;

namespace {
constexpr int kGap = 8;
constexpr int kTitleGap = 4;
constexpr int kDayRadius = 10;
constexpr int kDayInset = 8;
} // namespace

AgendaView::AgendaView(PublishedState& state, Theme& theme, std::function<void()> onClose,
                       QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_theme(theme)
    , m_onClose(std::move(onClose)) {
    setObjectName(QStringLiteral("agendaView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(kGap);

    auto* header = new QHBoxLayout;
    header->addWidget(
        label(theme, QStringLiteral("Week at a glance"), Theme::Role::text, 13, QFont::Bold));
    header->addStretch(1);
    auto* close = new FlatButton(theme, QString());
    close->setObjectName(QStringLiteral("agenda.close"));
    close->setSymbol(QStringLiteral("xmark.circle.fill"));
    close->setToolTip(QStringLiteral("Close"));
    close->setAccessibleName(QStringLiteral("Close"));
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
    header->addWidget(close);
    layout->addLayout(header);

    m_days = new QVBoxLayout;
    m_days->setSpacing(kGap);
    layout->addLayout(m_days);
    connect(&state, &PublishedState::calendarEventsChanged, this, &AgendaView::refresh);
    refresh();
}

void AgendaView::refresh() {
    while (QLayoutItem* item = m_days->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QDate today = activity::localDay(m_state.now());
    const QList<calendar::AgendaDay> days = calendar::agendaDays(m_state.calendarEvents(), today);
    if (days.isEmpty()) {
        QLabel* empty = label(m_theme, calendar::agendaEmptyText(), Theme::Role::secondaryText, 12);
        empty->setObjectName(QStringLiteral("agenda.empty"));
        empty->setAlignment(Qt::AlignCenter);
        empty->setWordWrap(true);
        empty->setContentsMargins(4, 10, 4, 12);
        m_days->addWidget(empty);
        empty->show(); // now, not on the next turn: the panel's height counts it at once
    }
    for (int i = 0; i < days.size(); ++i) {
        const calendar::AgendaDay& day = days[i];
        auto* bubble = new DayBubble(m_theme, day.day == today, kDayRadius);
        bubble->setObjectName(QStringLiteral("agenda.day.%1").arg(i));
        bubble->setDay(calendar::dayName(day.day), day.events);
        auto* column = new QVBoxLayout(bubble);
        column->setContentsMargins(kDayInset, kDayInset, kDayInset, kDayInset);
        column->setSpacing(kTitleGap);
        auto* title = new QHBoxLayout;
        QLabel* name = label(m_theme, day.title, Theme::Role::text, 12, QFont::DemiBold);
        name->setObjectName(QStringLiteral("agenda.dayTitle"));
        QLabel* date = label(m_theme, day.date, Theme::Role::secondaryText, 11);
        date->setObjectName(QStringLiteral("agenda.dayDate"));
        title->addWidget(name);
        title->addStretch(1);
        title->addWidget(date);
        column->addLayout(title);
        for (const CalEvent& event : day.events) {
            auto* chip = new EventChip(m_theme, event);
            chip->setObjectName(QStringLiteral("agendaEvent"));
            column->addWidget(chip);
        }
        m_days->addWidget(bubble);
        bubble->show();
    }
    Q_EMIT contentChanged();
}
