#pragma once

#include "EventLoop.h"
#include "TestEnvironment.h"
#include "Theme.h"
#include "store/WatchlistStore.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// A store on a temporary environment (every service on a closed loopback port) and a theme,
// for widgets shown on the offscreen platform.
class UiHarness : public testing::Test {
protected:
    WatchlistStore& start() { return start(m_env.environment()); }
    WatchlistStore& start(const StoreEnvironment& env) {
        m_store = std::make_unique<WatchlistStore>(env, nullptr, nullptr);
        return *m_store;
    }

    template <typename T>
    static T* find(const QWidget& root, const char* name) {
        T* found = root.findChild<T*>(QLatin1StringView(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void TearDown() override {
        // A check cycle started by a test ends before its store goes.
        if (m_store)
            runEventLoopUntil([this] { return !m_store->isChecking(); }, 10000);
    }

    TestEnvironment m_env;
    Theme m_theme;
    std::unique_ptr<WatchlistStore> m_store;
};
