#include "WindowDragArea.h"

#include "KeyableWindow.h"
#include "Theme.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

// Mouse events at global positions, as the window system delivers them during a drag: a plain
// label takes no press, so it reaches the drag area under it; a control keeps its press.
TEST(WindowDragArea, DraggingTheBackgroundSagsTheAttachedWindowAndReleasingSpringsItBack) {
    struct Case {
        const char* grabbed;
        bool magnet;
        int sag; // during the drag, 300² ÷ 482 rounded when the window hangs on the magnet
    };
    for (const Case c : {Case{"background", true, 187}, Case{"background", false, 0}, Case{"button", true, 0}}) {
        SCOPED_TRACE(std::string(c.grabbed) + (c.magnet ? " magnet on" : " magnet off"));
        Theme theme;
        KeyableWindow window{theme, KeyableWindow::Kind::floating};
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        layout->addWidget(new QLabel(QStringLiteral("background")));
        layout->addWidget(new QPushButton(QStringLiteral("Check now")));
        layout->itemAt(0)->widget()->setObjectName(QStringLiteral("background"));
        layout->itemAt(1)->widget()->setObjectName(QStringLiteral("button"));
        window.setWindowContent(content);
        window.show();
        window.setMagnetEnabled(c.magnet);
        const int top = int(window.magnetFrame().visible.top());
        window.moveBodyTo({20, top});

        auto* to = window.findChild<QWidget*>(QString::fromLatin1(c.grabbed));
        const QPoint grab = to->mapToGlobal(to->rect().center());
        const auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
            QMouseEvent event(type, QPointF(to->mapFromGlobal(global)), QPointF(global),
                              type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(to, &event);
        };
        send(QEvent::MouseButtonPress, grab, Qt::LeftButton); // without the magnet: the window system's move
        send(QEvent::MouseMove, grab + QPoint(40, 300), Qt::LeftButton);
        EXPECT_EQ(window.bodyPos(), QPoint(c.sag ? 60 : 20, top + c.sag));
        send(QEvent::MouseButtonRelease, grab + QPoint(40, 300), Qt::NoButton);
        EXPECT_EQ(window.bodyPos(), QPoint(c.sag ? 60 : 20, top));
    }
}
