// The Settings tab: the window scrolled to each section, a refused root folder, and the
// clear-working-folder confirmation with several downloads, one, and none.

#include "FakeWatchlist.h"
#include "MainContentView.h"
#include "RoundedPanel.h"
#include "ShotRig.h"
#include "Shots.h"
#include "SidebarTab.h"
#include "settings/SettingsView.h"

#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QScrollArea>
#include <QTemporaryDir>

namespace {

DownloadRecord downloading(const char* name, const char* episode) {
    DownloadRecord row;
    row.showName = QString::fromUtf8(name);
    row.episode = QString::fromUtf8(episode);
    return row;
}

SettingsHooks hooks(std::optional<QString> chosen = std::nullopt) {
    SettingsHooks h;
    h.home = QStringLiteral("/home/you");
    h.defaultRoot = QStringLiteral("/home/you/Downloads/Lumivane");
    h.loginItemEnabled = [] { return true; };
    h.updatesConfigured = [] { return true; };
    h.updatesAutomatic = [] { return true; };
    h.chooseFolder = [chosen](QWidget*) { return chosen; };
    h.openFolder = [](const QUrl&) {};
    return h;
}

} // namespace

void shootSettings(ShotRig& rig) {
    FakeWatchlist fake;
    fake.appSettings.checkIntervalMinutes = 30;
    fake.appSettings.seedRatioLimit = 1.5;
    fake.appSettings.tmdbAPIKey = QStringLiteral("0123456789abcdef");
    fake.folderSize = QStringLiteral("2.4 GB");
    fake.secondsLeft = 1500;
    fake.root = QUrl::fromLocalFile(QStringLiteral("/home/you/Downloads/Lumivane"));

    // The appearance pills show the appearance each picture is drawn in.
    QObject::connect(&rig.theme(), &Theme::changed, &fake, [&fake, &rig] {
        fake.appSettings.theme = rig.theme().appearance();
        Q_EMIT fake.settingsChanged();
    });

    QTemporaryDir scratch;
    RoundedPanel panel(rig.theme(), Qt::Window);
    auto* content = new MainContentView(fake, rig.theme());
    auto* view = new SettingsView(fake, rig.theme(), hooks(scratch.filePath("blocked/Library")));
    content->setTabView(SidebarTab::settings, view);
    content->selectTab(SidebarTab::settings);
    panel.setContent(content);
    panel.setBodySize(QSize(760, 520));
    panel.show();
    ShotRig::settle();

    auto* scroll = view->findChild<QScrollArea*>(QStringLiteral("settingsScroll"));
    for (const char* section :
         {"Startup", "Downloads", "Working Files", "Default Quality", "Feed Checking",
          "Notifications", "Seeding", "Episode Data", "Updates"}) {
        auto* box = view->findChild<QWidget*>(QStringLiteral("settingsSection.") +
                                              QString::fromUtf8(section));
        scroll->ensureWidgetVisible(box, 0, 12);
        QString name = QString::fromUtf8(section).toLower().replace(QLatin1Char(' '), '-');
        rig.shoot(panel, QStringLiteral("settings-") + name);
    }
    // The whole page at once, as tall as it needs.
    {
        SettingsView page(fake, rig.theme(), hooks());
        page.resize(576,
                    page.findChild<QWidget*>(QStringLiteral("settingsPage"))->sizeHint().height() +
                        60);
        page.setAutoFillBackground(true);
        page.show();
        ShotRig::settle();
        const auto paint = [&] {
            QPalette p = page.palette();
            p.setColor(QPalette::Window, rig.theme().color(Theme::Role::window));
            page.setPalette(p);
        };
        QObject::connect(&rig.theme(), &Theme::changed, &page, paint);
        paint();
        rig.shoot(page, QStringLiteral("settings-all"));
    }

    // A root folder below a file is refused with the reason.
    QFile blocker(scratch.filePath("blocked"));
    if (blocker.open(QIODevice::WriteOnly))
        blocker.close();
    view->findChild<QAbstractButton*>(QStringLiteral("chooseRootButton"))->click();
    if (auto* refusal = panel.findChild<QMessageBox*>(QStringLiteral("settingsRefusal"))) {
        ShotRig::settle();
        rig.shoot(*refusal, QStringLiteral("settings-root-refused"));
        refusal->close();
    }

    const struct {
        const char* name;
        QList<DownloadRecord> rows;
    } confirmations[] = {
        {"several",
         {downloading("Severance", "S02E03"), downloading("Dune: Part Two", "Movie"),
          downloading("The Daily Show", "2025.03.12")}},
        {"one", {downloading("Severance", "S02E03")}},
        {"none", {}},
    };
    for (const auto& c : confirmations) {
        fake.rows = c.rows;
        QMessageBox* box = view->confirmClearWorkingFolder();
        box->adjustSize();
        ShotRig::settle();
        rig.shoot(*box, QStringLiteral("settings-clear-confirm-") + QString::fromUtf8(c.name));
        box->close();
        ShotRig::settle();
    }
}
