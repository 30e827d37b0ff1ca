#include "WindowDragArea.h"

#include "KeyableWindow.h"
#include "Theme.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Mouse events at global positions, as the window system delivers them during a drag.
class DragAreaTest : public testing::Test {
protected:
    void SetUp() override {
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        auto* button = new QPushButton(QStringLiteral("Check now"));
        button->setObjectName(QStringLiteral("button"));
        auto* label = new QLabel(QStringLiteral("background"));
        label->setObjectName(QStringLiteral("background"));
        layout->addWidget(label);
        layout->addWidget(button);
        m_window.setWindowContent(content);
        m_window.show();
        m_top = int(m_window.magnetFrame().visible.top());
        m_window.moveBodyTo({20, m_top});
        m_area = m_window.findChild<WindowDragArea*>(QStringLiteral("windowDragArea"));
        ASSERT_NE(m_area, nullptr);
    }

    void send(QWidget* to, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(to->mapFromGlobal(global)), QPointF(global), button,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(to, &event);
    }

    Theme m_theme;
    KeyableWindow m_window{m_theme, KeyableWindow::Kind::floating};
    WindowDragArea* m_area = nullptr;
    int m_top = 0;
};

} // namespace

TEST_F(DragAreaTest, DraggingTheBackgroundSagsTheAttachedWindowAndReleasingSpringsItBack) {
    // A plain label takes no press: it reaches the drag area under it.
    auto* label = m_window.findChild<QLabel*>(QStringLiteral("background"));
    const QPoint grab = label->mapToGlobal(QPoint(5, 5));
    send(label, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    send(label, QEvent::MouseMove, grab + QPoint(40, 300), Qt::LeftButton);
    EXPECT_EQ(m_window.bodyPos(), QPoint(60, m_top + 187)) << "300² ÷ 482, rounded";
    send(label, QEvent::MouseButtonRelease, grab + QPoint(40, 300), Qt::NoButton);
    EXPECT_EQ(m_window.bodyPos(), QPoint(60, m_top));
}

TEST_F(DragAreaTest, WithTheMagnetOffTheMagnetMovesNothing) {
    m_window.setMagnetEnabled(false);
    const QPoint grab = m_area->mapToGlobal(QPoint(10, 10));
    send(m_area, QEvent::MouseButtonPress, grab, Qt::LeftButton); // the window system's move
    send(m_area, QEvent::MouseMove, grab + QPoint(40, 300), Qt::LeftButton);
    send(m_area, QEvent::MouseButtonRelease, grab + QPoint(40, 300), Qt::NoButton);
    EXPECT_EQ(m_window.bodyPos(), QPoint(20, m_top));
}

TEST_F(DragAreaTest, APressOnAControlIsTheControlsNotADrag) {
    auto* button = m_window.findChild<QPushButton*>(QStringLiteral("button"));
    const QPoint grab = button->mapToGlobal(button->rect().center());
    send(button, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    send(button, QEvent::MouseMove, grab + QPoint(0, 300), Qt::LeftButton);
    EXPECT_EQ(m_window.bodyPos(), QPoint(20, m_top));
    EXPECT_FALSE(m_window.magnet().dragging());
    send(button, QEvent::MouseButtonRelease, grab + QPoint(0, 300), Qt::NoButton);
}
