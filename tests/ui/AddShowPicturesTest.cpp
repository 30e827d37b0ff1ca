#include "AddShowModel.h"
#include "AddShowServices.h"
#include "ImageLoader.h"
#include "RoundedPanel.h"
#include "Theme.h"
#include "addshow/AddShowPresenter.h"

#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

// Pictures of the add-series panels in each step of tests/fixtures/ui/add-series-pictures.json,
// light and dark, for review by eye (`make screenshots`). Skipped without LUMIVANE_SHOTS_DIR.

namespace {

// The open panels side by side: poster, form, results (the offscreen screen is too small to
// show them where they really sit).
QImage composite(AddShowPresenter& presenter, const Theme& theme) {
    QList<QPixmap> shots;
    for (RoundedPanel* panel :
         {presenter.posterPanel(), presenter.formPanel(), presenter.resultsPanel()}) {
        if (panel && panel->isVisible())
            shots << panel->grab();
    }
    QSize size;
    for (const QPixmap& shot : shots)
        size = QSize(size.width() + shot.width(), std::max(size.height(), shot.height()));
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(theme.isDark() ? QColor(0x3a, 0x38, 0x40) : QColor(0xd9, 0xd6, 0xde));
    QPainter painter(&out);
    for (int x = 0; const QPixmap& shot : shots) {
        painter.drawPixmap(x, 0, shot);
        x += shot.width();
    }
    return out;
}

TEST(AddShowPictures, EachStepLightAndDark) {
    const QString folder = qEnvironmentVariable("LUMIVANE_SHOTS_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set LUMIVANE_SHOTS_DIR to write the pictures";
    QDir().mkpath(folder);
    const QByteArray poster = fixtureBytes("ui/poster.png");
    const nlohmann::json pictures = fixtureJson("ui/add-series-pictures.json");
    for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        for (const nlohmann::json& step : pictures["steps"]) {
            AddShowServices services;
            services.posterBytes = poster;
            services.catalog = pictures["tmdbByQuery"];
            services.catalog.update(step.value("tmdbByQuery", nlohmann::json::object()));
            if (step.value("tmdbRefusesKey", false))
                services.tmdb = AddShowServices::Tmdb::refusesKey;
            services.indexesAnswer = step.value("indexesAnswer", true);
            QMap<QString, QList<FakeIndexes::Hit>> releases;
            const nlohmann::json byQuery = step.value("releases", nlohmann::json::object());
            for (const auto& [query, hits] : byQuery.items()) {
                for (const auto& h : hits)
                    releases[QString::fromStdString(query)]
                        << release(qstr(h[0]), qstr(h[1]).front().toLatin1(), h[2], h[3]);
            }
            services.index.hitsFor = [releases](const QString& q) { return releases.value(q); };
            WatchlistStore& store = services.start();
            Theme theme(appearance);
            ImageLoader images(store.environment().endpoints.tmdbImages, QString());
            AddShowPresenter presenter(store, theme, images);
            presenter.open(nullptr);
            services.drive(*presenter.model(), step);
            runEventLoopUntil([] { return false; }, 300); // posters and layouts settle
            const QString file =
                QStringLiteral("%1/add-series-%2-%3.png")
                    .arg(folder, qstr(step["name"]), theme.isDark() ? "dark" : "light");
            EXPECT_TRUE(composite(presenter, theme).save(file)) << file.toStdString();
        }
    }
}

} // namespace
