// The Settings tab's wiring: each control reaches the right operation or hook, and the
// rules behind them (texts, refusals, confirmations) show up where a person looks.

#include "settings/SettingsView.h"

#include "UiHarness.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class SettingsViewTest : public UiHarness {
protected:
    SettingsViewTest() {
        m_hooks.home = "/home/al";
        m_hooks.defaultRoot = "/home/al/Downloads/Lumivane";
        m_hooks.updatesConfigured = [] { return true; };
        m_hooks.updatesAutomatic = [this] { return m_autoUpdates; };
        m_hooks.setUpdatesAutomatic = [this](bool on) { m_autoUpdates = on; };
        m_hooks.checkForUpdates = [this] { ++m_updateChecks; };
        m_hooks.chooseFolder = [this](QWidget*) { return m_chosen; };
        m_hooks.openFolder = [this](const QUrl& url) { m_opened << url; };
    }

    SettingsView& view() {
        if (!m_view) {
            m_view = std::make_unique<SettingsView>(m_fake, m_theme, m_hooks);
            m_view->resize(560, 480);
            m_view->show();
        }
        return *m_view;
    }
    template <typename T>
    T* child(const char* name) {
        return find<T>(view(), name);
    }
    QString rootLine() { return child<QLabel>("rootFolderLabel")->accessibleName(); }
    // The folder picker answers `chosen`, or is cancelled.
    void chooseRoot(std::optional<QString> chosen) {
        m_chosen = std::move(chosen);
        child<QAbstractButton>("chooseRootButton")->click();
    }

    SettingsHooks m_hooks;
    bool m_autoUpdates = true;
    int m_updateChecks = 0;
    std::optional<QString> m_chosen;
    QList<QUrl> m_opened;
    std::unique_ptr<SettingsView> m_view;
};

TEST_F(SettingsViewTest, EveryChoiceChangesItsSettingAtOnceAndShowsAsSelected) {
    const struct {
        const char* control;
        std::function<bool(const AppSettings&)> changed;
    } cases[] = {
        {"interval.1440", [](const AppSettings& s) { return s.checkIntervalMinutes == 1440; }},
        {"interval.5", [](const AppSettings& s) { return s.checkIntervalMinutes == 5; }},
        {"quality.720p",
         [](const AppSettings& s) { return s.defaultQuality == Show::Quality::p720; }},
        {"appearance.dark", [](const AppSettings& s) { return s.theme == AppTheme::dark; }},
        {"magnetizationSwitch", [](const AppSettings& s) { return !s.windowMagnetization; }},
        {"soundSwitch", [](const AppSettings& s) { return !s.notificationSoundEnabled; }},
        {"seedRatioCheck", [](const AppSettings& s) { return !s.seedRatioEnabled; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        m_fake.appSettings = AppSettings{};
        Q_EMIT m_fake.settingsChanged();
        m_fake.calls.clear();
        auto* control = child<QAbstractButton>(c.control);
        ASSERT_NE(control, nullptr);
        control->click();
        EXPECT_EQ(m_fake.callsTo("updateSettings").size(), 1);
        EXPECT_TRUE(c.changed(m_fake.appSettings));
        // Pills show the stored choice; clicking a selected one keeps it selected.
        if (QString(c.control).contains('.')) {
            EXPECT_TRUE(control->isChecked());
            control->click();
            EXPECT_TRUE(control->isChecked());
        }
    }
    // Only the stored interval's pill is selected.
    EXPECT_FALSE(child<QAbstractButton>("interval.1440")->isChecked());
    EXPECT_TRUE(child<QAbstractButton>("interval.60")->isChecked());
}

// The rules of the ratio are SettingsText's; here, what the field does with a value and a refusal.
TEST_F(SettingsViewTest, TheRatioFieldStoresWhatParsesAndShowsTheStoredValueBack) {
    m_fake.appSettings.seedRatioLimit = 1.0;
    auto* field = child<QLineEdit>("seedRatioField");
    EXPECT_EQ(field->text(), "1.00");
    const struct {
        const char* typed;
        double stored;
        const char* shown;
    } cases[] = {{"2.5", 2.5, "2.50"}, {"abc", 2.5, "2.50"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, c.typed);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_DOUBLE_EQ(m_fake.appSettings.seedRatioLimit, c.stored);
        EXPECT_EQ(field->text(), c.shown);
    }
}

TEST_F(SettingsViewTest, TheKeyIsMaskedAndStoredExactlyAsTyped) {
    auto* key = child<QLineEdit>("tmdbKeyField");
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    EXPECT_EQ(key->placeholderText(), "Paste your TMDB API key");
    key->setFocus();
    QTest::keyClicks(key, " ab12 ");
    EXPECT_EQ(m_fake.appSettings.tmdbAPIKey, " ab12 ");
    key->clear();
    QTest::keyClick(key, Qt::Key_X);
    QTest::keyClick(key, Qt::Key_Backspace);
    EXPECT_EQ(m_fake.appSettings.tmdbAPIKey, "") << "empty: the built-in key";
}

TEST_F(SettingsViewTest, TheRootLineUsesATildeAndAChosenFolderIsCheckedBeforeItIsStored) {
    EXPECT_EQ(rootLine(), "Default — ~/Downloads/Lumivane");
    m_fake.appSettings.rootFolder = QUrl::fromLocalFile("/home/al/Media");
    Q_EMIT m_fake.settingsChanged();
    EXPECT_EQ(rootLine(), "~/Media");

    QTemporaryDir dir;
    // Cancelled: nothing changes.
    chooseRoot(std::nullopt);
    EXPECT_TRUE(m_fake.callsTo("updateSettings").isEmpty());

    // A folder that can hold the library is stored.
    chooseRoot(dir.filePath("Library"));
    EXPECT_EQ(m_fake.appSettings.rootFolder, QUrl::fromLocalFile(dir.filePath("Library")));

    // One below a file is refused with the reason; the old root stays.
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_fake.calls.clear();
    chooseRoot(dir.filePath("file/Library"));
    EXPECT_TRUE(m_fake.callsTo("updateSettings").isEmpty());
    auto* refusal = view().window()->findChild<QMessageBox*>("settingsRefusal");
    ASSERT_NE(refusal, nullptr);
    EXPECT_TRUE(
        refusal->informativeText().contains(dir.filePath("file") + " is a file, not a folder"))
        << refusal->informativeText().toStdString();
    EXPECT_EQ(m_fake.appSettings.rootFolder, QUrl::fromLocalFile(dir.filePath("Library")));
    refusal->close();

    // Reveal makes the folder when it is missing and hands it to the file manager.
    m_fake.root = QUrl::fromLocalFile(dir.filePath("Revealed"));
    child<QAbstractButton>("revealRootButton")->click();
    EXPECT_EQ(m_opened, QList<QUrl>{m_fake.root});
    EXPECT_TRUE(QDir(dir.filePath("Revealed")).exists());
}

TEST_F(SettingsViewTest, TheClearConfirmationActsOnlyOnItsClearButton) {
    m_fake.rows = {{.showName = "Severance", .episode = "S02E03"}};
    m_fake.folderSize = "1.2 GB";
    Q_EMIT m_fake.workingFolderSizeLabelChanged();
    EXPECT_EQ(child<QLabel>("workingFolderSize")->text(), "1.2 GB");

    const auto ask = [&] {
        child<QAbstractButton>("clearWorkingFolderButton")->click();
        auto* box = view().window()->findChild<QMessageBox*>("clearWorkingFolderAlert");
        EXPECT_NE(box, nullptr);
        return box;
    };
    enum class Answer { cancel, escape, clear };
    for (Answer answer : {Answer::cancel, Answer::escape, Answer::clear}) {
        SCOPED_TRACE(static_cast<int>(answer));
        m_fake.calls.clear();
        QPointer<QMessageBox> box = ask();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text(), "Clear Working Folder?");
        EXPECT_EQ(box->informativeText(),
                  "This will cancel and delete 1 in-progress download:\n\n• Severance S02E03\n\n"
                  "Already-sorted series in your Root Folder are not affected.");
        const QList<QAbstractButton*> buttons = box->buttons();
        ASSERT_EQ(buttons.size(), 2);
        if (answer == Answer::cancel)
            box->findChild<QPushButton*>("cancelButton")->click();
        else if (answer == Answer::escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->findChild<QPushButton*>("clearButton")->click();
        drainEvents();
        EXPECT_FALSE(box) << "the alert is gone";
        EXPECT_EQ(m_fake.callsTo("clearWorkingFolder").size(), answer == Answer::clear ? 1 : 0);
    }
}

TEST_F(SettingsViewTest, TheUpdatesSectionReachesTheUpdater) {
    auto* automatic = child<QAbstractButton>("autoUpdateSwitch");
    EXPECT_TRUE(automatic->isChecked());
    automatic->click();
    EXPECT_FALSE(m_autoUpdates);
    child<QAbstractButton>("checkUpdatesButton")->click();
    EXPECT_EQ(m_updateChecks, 1);

    // A build without a feed: the switch cannot be turned on, the button still answers.
    m_view.reset();
    m_hooks.updatesConfigured = [] { return false; };
    EXPECT_FALSE(child<QAbstractButton>("autoUpdateSwitch")->isEnabled());
}

} // namespace
