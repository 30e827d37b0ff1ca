// The keyboard's focus ring where it is hardest to draw: on a painted series row, on a pill
// inside that row, and on a button of the window.

#include "MainContentView.h"
#include "RoundedPanel.h"
#include "ShotRig.h"
#include "Shots.h"
#include "SidebarTab.h"
#include "series/ShowsView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListView>
#include <QKeyEvent>

namespace {

void press(QWidget* w, Qt::Key key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
}

} // namespace

void shootFocusRings(ShotRig& rig) {
    {
        ShowsView view(rig.store(), rig.theme(), rig.images());
        view.resize(760, 420);
        view.show();
        QApplication::setActiveWindow(&view);
        view.list()->setFocus(Qt::TabFocusReason);
        press(view.list(), Qt::Key_Down); // the second row
        rig.shoot(view, QStringLiteral("focus-series-row"));
        press(view.list(), Qt::Key_Tab); // its switch, then its resolution pill
        press(view.list(), Qt::Key_Tab);
        rig.shoot(view, QStringLiteral("focus-series-pill"));
        view.findChild<QWidget*>(QStringLiteral("addSeriesButton"))->setFocus(Qt::TabFocusReason);
        rig.shoot(view, QStringLiteral("focus-add-button"));
    }
    {
        RoundedPanel panel(rig.theme(), Qt::Window);
        auto* content = new MainContentView(rig.store(), rig.theme());
        content->setTabView(SidebarTab::shows, new ShowsView(rig.store(), rig.theme(), rig.images()));
        panel.setContent(content);
        panel.setBodySize(QSize(760, 520));
        panel.show();
        QApplication::setActiveWindow(&panel);
        content->findChild<QWidget*>(QStringLiteral("checkNowButton"))->setFocus(Qt::TabFocusReason);
        rig.shoot(panel, QStringLiteral("focus-check-now"));
        content->findChild<QWidget*>(QStringLiteral("sidebar.calendar"))->setFocus(Qt::TabFocusReason);
        rig.shoot(panel, QStringLiteral("focus-sidebar-item"));
    }
}
