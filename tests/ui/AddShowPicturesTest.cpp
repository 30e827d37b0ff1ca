#include "AddShowModel.h"
#include "AddShowServices.h"
#include "ImageLoader.h"
#include "RoundedPanel.h"
#include "Theme.h"
#include "addshow/AddShowPresenter.h"

#include <QBuffer>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>

#include <gtest/gtest.h>

// Pictures of the add-series panels in each step, light and dark, for review by eye. Written
// only when LUMIVANE_SHOTS_DIR names a folder; otherwise skipped.

namespace {

QByteArray posterPng() {
    QImage image(342, 513, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient fill(0, 0, 0, 513);
    fill.setColorAt(0, QColor(0x1c, 0x2b, 0x3a));
    fill.setColorAt(1, QColor(0x6a, 0x3d, 0x5e));
    painter.fillRect(image.rect(), fill);
    painter.setPen(QColor(255, 255, 255, 210));
    QFont font = painter.font();
    font.setPixelSize(54);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect().adjusted(0, 0, 0, -120), Qt::AlignCenter, QStringLiteral("DARK"));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct Step {
    const char* name;
    std::function<void(AddShowServices&)> configure;
    std::function<void(AddShowModel&, AddShowServices&)> drive;
};

bool settle(AddShowModel& model) {
    return runEventLoopUntil([&] { return !model.isSearching(); });
}

void lookUp(AddShowModel& model, const QString& name) {
    model.setName(name);
    model.find();
    settle(model);
}

void confirm(AddShowModel& model, AddShowServices& services) {
    services.clock().advance(1);
    model.pickMatch(0);
    settle(model);
}

const AddShowServices::Match kDark{
    70523, QStringLiteral("Dark"), QStringLiteral("2017"), QStringLiteral("/dark.jpg"),
    QStringLiteral("A family saga with a supernatural twist, set in a German town where the "
                   "disappearance of two young children exposes the relationships among four "
                   "families.")};

QList<FakeIndexes::Hit> darkReleases() {
    return {release("Dark.S03E08.The.Paradise.1080p.NF.WEB-DL.DDP5.1.x264", 'a', 211, 2'400'000'000),
            release("Dark S03 1080p BluRay x265-RARBG", 'b', 96, 14'100'000'000),
            release("Dark.S02E01.720p.WEB.H264", 'c', 40, 900'000'000),
            release("Dark.S01E01.Secrets.2160p.NF.WEB-DL", 'd', 18, 6'800'000'000),
            release("Dark Complete Series 1080p", 'e', 57, 38'000'000'000)};
}

const QList<Step> kSteps{
    {"matches",
     [](AddShowServices& s) {
         s.matches[QStringLiteral("Dark")] = {
             kDark, {2, QStringLiteral("Dark Matter"), "2015", "", "A spaceship crew wakes up."},
             {3, QStringLiteral("Dark Angel"), "2000", "", ""}};
     },
     [](AddShowModel& m, AddShowServices&) { lookUp(m, QStringLiteral("Dark")); }},
    {"releases-ticked",
     [](AddShowServices& s) {
         s.matches[QStringLiteral("Dark")] = {kDark};
         s.index.hits = darkReleases();
     },
     [](AddShowModel& m, AddShowServices& s) {
         lookUp(m, QStringLiteral("Dark"));
         confirm(m, s);
         m.togglePick(m.listedResults().at(0).id);
         m.togglePick(m.listedResults().at(1).id);
         m.setPickPlan(AddShowModel::PickPlan::thisThenLatest);
     }},
    {"no-match", [](AddShowServices&) {},
     [](AddShowModel& m, AddShowServices&) { lookUp(m, QStringLiteral("Da Vinci's Inquest")); }},
    {"fallback",
     [](AddShowServices& s) {
         s.matches[QStringLiteral("Inquest")] = {
             {5, QStringLiteral("Da Vinci's Inquest"), "1998", "", "A coroner in Vancouver."}};
         s.index.hitsFor = [](const QString& q) {
             return q == QStringLiteral("Inquest")
                        ? QList<FakeIndexes::Hit>{release("Inquest S01E01 720p HDTV", 'f', 4),
                                                  release("Inquest S01E02 720p HDTV", 'g', 3)}
                        : QList<FakeIndexes::Hit>{};
         };
     },
     [](AddShowModel& m, AddShowServices& s) {
         lookUp(m, QStringLiteral("Inquest"));
         confirm(m, s);
     }},
    {"tmdb-refused", [](AddShowServices& s) { s.tmdb = AddShowServices::Tmdb::refusesKey; },
     [](AddShowModel& m, AddShowServices&) { lookUp(m, QStringLiteral("Dark")); }},
    {"indexes-unreachable",
     [](AddShowServices& s) {
         s.matches[QStringLiteral("Dark")] = {kDark};
         s.indexes = AddShowServices::Indexes::unreachable;
     },
     [](AddShowModel& m, AddShowServices& s) {
         lookUp(m, QStringLiteral("Dark"));
         confirm(m, s);
     }},
    {"more-options-season",
     [](AddShowServices& s) { s.matches[QStringLiteral("Dark")] = {kDark}; },
     [](AddShowModel& m, AddShowServices& s) {
         lookUp(m, QStringLiteral("Dark"));
         confirm(m, s);
         m.setShowAdvanced(true);
         m.setSeasonText(QStringLiteral("2"));
         m.setPullEntireSeason(true);
     }},
};

// The open panels as they sit on a roomy screen: the poster left of the form, the results
// below it (the offscreen screen is too small to show that with their real positions).
QImage composite(AddShowPresenter& presenter, const Theme& theme) {
    const auto shown = [](RoundedPanel* p) { return p && p->isVisible() ? p : nullptr; };
    RoundedPanel* poster = shown(presenter.posterPanel());
    RoundedPanel* form = presenter.formPanel();
    RoundedPanel* results = shown(presenter.resultsPanel());
    const int shadow = RoundedPanel::kShadow;
    const int gap = 8;
    const QPoint formAt(16 + (poster ? poster->width() - 2 * shadow + gap : 0), 16);
    QList<std::pair<RoundedPanel*, QPoint>> placed{{form, formAt}};
    if (poster)
        placed.append({poster, QPoint(16, 16)});
    if (results)
        placed.append({results, formAt + QPoint(0, form->height() - 2 * shadow + gap)});
    QRect bounds;
    for (const auto& [panel, at] : placed)
        bounds |= QRect(at, panel->size());
    QImage out(bounds.size() + QSize(32, 32), QImage::Format_ARGB32_Premultiplied);
    out.fill(theme.isDark() ? QColor(0x3a, 0x38, 0x40) : QColor(0xd9, 0xd6, 0xde));
    QPainter painter(&out);
    for (const auto& [panel, at] : placed)
        painter.drawPixmap(at - QPoint(shadow, shadow) + QPoint(16, 16), panel->grab());
    return out;
}

TEST(AddShowPictures, EachStepLightAndDark) {
    const QString folder = qEnvironmentVariable("LUMIVANE_SHOTS_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set LUMIVANE_SHOTS_DIR to write the pictures";
    QDir().mkpath(folder);
    const QByteArray poster = posterPng();
    for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        for (const Step& step : kSteps) {
            AddShowServices services;
            services.posterBytes = poster;
            step.configure(services);
            WatchlistStore& store = services.start();
            Theme theme(appearance);
            ImageLoader images(store.environment().endpoints.tmdbImages, QString());
            AddShowPresenter presenter(store, theme, images);
            presenter.open(nullptr);
            step.drive(*presenter.model(), services);
            runEventLoopUntil([] { return false; }, 300); // posters and layouts settle
            const QString file = QStringLiteral("%1/add-series-%2-%3.png")
                                     .arg(folder, QString::fromLatin1(step.name),
                                          theme.isDark() ? QStringLiteral("dark")
                                                         : QStringLiteral("light"));
            EXPECT_TRUE(composite(presenter, theme).save(file)) << file.toStdString();
        }
    }
}

} // namespace
