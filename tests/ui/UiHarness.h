#pragma once

#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "ImageLoader.h"
#include "Theme.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// Lets the events a click or a show queues (layouts, paints, deferred rebuilds) run.
inline void settle() {
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
}

// Keys pressed where the keyboard is, as they would be on a desktop.
inline void pressKeys(std::initializer_list<Qt::Key> keys,
                      Qt::KeyboardModifiers mods = Qt::NoModifier) {
    for (Qt::Key k : keys) {
        QWidget* at = QApplication::focusWidget();
        ASSERT_TRUE(at);
        QTest::keyClick(at, k, mods);
        settle();
    }
}

// Presses a control the way a screen reader does: through its accessible action.
inline void pressAccessibly(QAbstractButton* control) {
    ASSERT_TRUE(control);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
    ASSERT_TRUE(iface && iface->actionInterface());
    EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty());
    const QStringList actions = iface->actionInterface()->actionNames();
    const QString action = actions.contains(QAccessibleActionInterface::pressAction())
                               ? QAccessibleActionInterface::pressAction()
                               : QAccessibleActionInterface::toggleAction();
    ASSERT_TRUE(actions.contains(action)) << actions.join(' ').toStdString();
    iface->actionInterface()->doAction(action);
}

// Movies of 1995 by these names.
inline void addMovies(FakeWatchlist& fake, std::initializer_list<const char*> names) {
    for (const char* name : names)
        fake.movieList.append(
            {.id = QUuid::createUuid(), .name = QString::fromLatin1(name), .year = "1995"});
}

// The first movie's download, stuck for eight days: flagged.
inline void stickFirstMovie(FakeWatchlist& fake) {
    fake.rows = {{.id = QString(40, 'a'),
                  .showID = fake.movieList[0].id,
                  .showName = "Heat (1995)",
                  .episode = "Movie",
                  .stuckSince = fake.now() - 8 * 86400.0}};
    fake.movieList[0].status = {ShowStatus::State::downloading, 0.1, {}, {}, {}};
    fake.movieList[0].rejectedHashes = {QString(40, 'r')};
}

// An in-memory watchlist, a theme and an image loader nobody answers, for widgets shown on the
// offscreen platform.
class UiHarness : public testing::Test {
protected:
    template <typename T>
    static T* find(const QWidget& root, const char* name) {
        T* found = root.findChild<T*>(QLatin1StringView(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    FakeWatchlist m_fake;
    Theme m_theme;
    ImageLoader m_images{QUrl("http://127.0.0.1:9"), QString()};
};
