// The add-series panels as an assistive tool and a resize see them: what a screen reader or a
// test tool does through Qt's accessibility layer (the same calls AT-SPI makes) must work as
// typing and clicking do, and the form reaches its new height when its content changes.

#include "AddShowModel.h"
#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "ImageLoader.h"
#include "RoundedPanel.h"
#include "Theme.h"
#include "addshow/AddShowFormView.h"
#include "addshow/AddShowPresenter.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class AssistedAdd : public testing::Test {
protected:
    void SetUp() override {
        fake.seriesByName["Dark"] = {{70523, "Dark", "2017", "A missing child.", "/dark.jpg"}};
        presenter = std::make_unique<AddShowPresenter>(fake, theme, images);
        presenter->open(nullptr);
        ASSERT_TRUE(presenter->isOpen());
    }

    template <typename T>
    T* inPanel(RoundedPanel* panel, const char* name) const {
        return panel ? panel->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    }
    QPushButton* primary() const { return inPanel<QPushButton>(presenter->formPanel(), "addShow.primary"); }
    int formHeight() const { return presenter->formPanel()->bodySize().height(); }
    int fittingHeight() const {
        return inPanel<AddShowFormView>(presenter->formPanel(), "addShow.form")->fittingHeight();
    }

    // Sets the name as a screen reader or a test tool does: no key is typed.
    void setNameAccessibly(const QString& name) {
        auto* field = inPanel<QLineEdit>(presenter->formPanel(), "addShow.name");
        ASSERT_NE(field, nullptr);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
        ASSERT_NE(accessible, nullptr);
        accessible->setText(QAccessible::Value, name);
    }

    FakeWatchlist fake;
    Theme theme;
    ImageLoader images{QUrl("http://127.0.0.1:9"), QString()};
    std::unique_ptr<AddShowPresenter> presenter;
};

TEST_F(AssistedAdd, ANameSetWithoutTypingIsLookedUpAndAMatchIsPickedBySelectingIt) {
    setNameAccessibly(QStringLiteral("Dark"));
    ASSERT_TRUE(primary()->isEnabled()) << "the form did not take the name";
    primary()->click();
    QListView* list = nullptr;
    ASSERT_TRUE(runEventLoopUntil([&] {
        list = inPanel<QListView>(presenter->resultsPanel(), "addShow.list");
        return list && list->model()->rowCount() == 1 && !presenter->model()->isSearching();
    }));

    fake.clock.advance(1); // past the arming delay, as a person is
    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(list)->child(0);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->actionInterface(), nullptr);
    ASSERT_FALSE(row->actionInterface()->actionNames().isEmpty());
    row->actionInterface()->doAction(row->actionInterface()->actionNames().constFirst());
    EXPECT_TRUE(runEventLoopUntil([&] { return presenter->model()->resolvedShow().has_value(); }))
        << fake.calls.join(" | ").toStdString();
    EXPECT_TRUE(list->selectionModel()->selectedIndexes().isEmpty()) << "a picked row stays pickable";
}

TEST_F(AssistedAdd, TheFormGrowsToItsNewHeightAndBackWhenMoreOptionsOpenAndClose) {
    const int closed = formHeight();
    ASSERT_EQ(closed, fittingHeight());
    for (const bool advanced : {true, false}) {
        presenter->model()->setShowAdvanced(advanced);
        const int target = fittingHeight();
        EXPECT_EQ(advanced, target > closed);
        EXPECT_TRUE(runEventLoopUntil([&] { return formHeight() == target; }))
            << "advanced " << advanced << ": at " << formHeight() << ", wanted " << target;
    }
    EXPECT_EQ(formHeight(), closed);
}

} // namespace
