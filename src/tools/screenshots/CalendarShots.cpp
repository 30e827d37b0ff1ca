// The Calendar tab's week with episodes in every state, the month placeholder, and the agenda
// panel with a busy week and with nothing airing.

#include "AgendaPanel.h"
#include "FakeWatchlist.h"
#include "MainContentView.h"
#include "RoundedPanel.h"
#include "ShotRig.h"
#include "Shots.h"
#include "SidebarTab.h"
#include "calendar/CalendarView.h"

#include <QAbstractButton>

namespace {

CalEvent event(const char* show, const char* code, QDate day, CalEvent::EpisodeState state) {
    CalEvent e;
    e.id = QUuid::createUuid();
    e.showName = QString::fromUtf8(show);
    e.code = QString::fromLatin1(code);
    e.date = Timestamp::fromDateTime(QDateTime(day, QTime(0, 0)));
    e.state = state;
    return e;
}

// Around the fake's Thursday 2025-03-13: fetched earlier in the week, one missed, more to come.
QList<CalEvent> sampleWeek() {
    using S = CalEvent::EpisodeState;
    return {
        event("Severance", "S02E08", QDate(2025, 3, 7), S::gotIt),
        event("Severance", "S02E09", QDate(2025, 3, 14), S::upcoming),
        event("The White Lotus", "S03E04", QDate(2025, 3, 9), S::gotIt),
        event("The White Lotus", "S03E05", QDate(2025, 3, 16), S::upcoming),
        event("Daredevil: Born Again", "S01E03", QDate(2025, 3, 11), S::missing),
        event("Daredevil: Born Again", "S01E04", QDate(2025, 3, 11), S::gotIt),
        event("Reacher", "S03E04", QDate(2025, 3, 13), S::gotIt),
        event("Paradise", "S01E08", QDate(2025, 3, 10), S::missing),
        event("The Last of Us", "S02E01", QDate(2025, 3, 15), S::upcoming),
        event("Andor", "S02E01", QDate(2025, 3, 18), S::upcoming),
    };
}

} // namespace

void shootCalendar(ShotRig& rig) {
    FakeWatchlist fake;
    fake.events = sampleWeek();

    RoundedPanel window(rig.theme(), Qt::Window);
    auto* content = new MainContentView(fake, rig.theme());
    auto* view = new CalendarView(fake, rig.theme());
    content->setTabView(SidebarTab::calendar, view);
    content->selectTab(SidebarTab::calendar);
    window.setContent(content);
    window.setBodySize(QSize(760, 520));
    window.show();
    ShotRig::settle();
    rig.shoot(window, QStringLiteral("calendar-week"));
    view->findChild<QAbstractButton*>(QStringLiteral("calendar.nextWeek"))->click();
    rig.shoot(window, QStringLiteral("calendar-next-week"));
    view->findChild<QAbstractButton*>(QStringLiteral("calendar.mode.month"))->click();
    rig.shoot(window, QStringLiteral("calendar-month"));
    window.hide();

    AgendaPanel agenda(rig.theme(), fake);
    agenda.fitToContent();
    agenda.show();
    rig.shoot(agenda, QStringLiteral("agenda"));
    fake.events.clear();
    Q_EMIT fake.calendarEventsChanged();
    rig.shoot(agenda, QStringLiteral("agenda-empty"));
}
