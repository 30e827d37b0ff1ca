#pragma once

#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "Theme.h"

#include <QWidget>

#include <gtest/gtest.h>

// An in-memory watchlist and a theme, for widgets shown on the offscreen platform.
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
};
