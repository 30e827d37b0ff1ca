// The Settings tab's texts and value rules, without a display.

#include "SettingsText.h"

#include <gtest/gtest.h>

using namespace settingstext;

TEST(SettingsText, IntervalPillsAreLabelledInOrder) {
    QStringList labels;
    for (int minutes : intervalChoices())
        labels << intervalLabel(minutes);
    EXPECT_EQ(labels, QStringList({"5m", "10m", "15m", "30m", "1h", "Daily"}));
    // Values a hand-edited settings.json may hold.
    const struct {
        int minutes;
        const char* label;
    } others[] = {{1, "1m"}, {59, "59m"}, {120, "2h"}, {90, "1h"}, {2880, "48h"}};
    for (const auto& c : others)
        EXPECT_EQ(intervalLabel(c.minutes), c.label) << c.minutes;
}

TEST(SettingsText, TheHomeFolderIsWrittenAsATilde) {
    const struct {
        const char* path;
        const char* home;
        const char* shown;
    } cases[] = {
        {"/home/al/Downloads/Lumivane", "/home/al", "~/Downloads/Lumivane"},
        {"/home/al", "/home/al", "~"},
        {"/home/al/", "/home/al/", "~"},
        {"/home/alice/Media", "/home/al", "/home/alice/Media"}, // a longer name is not home
        {"/srv/media", "/home/al", "/srv/media"},
        {"/srv/media", "/", "/srv/media"}, // a root home would swallow every path
        {"/home/al/a/../Films", "/home/al", "~/Films"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(homeRelative(c.path, c.home), c.shown) << c.path << " in " << c.home;
}

TEST(SettingsText, TheRootLineAndTheNoteNameTheRealDefault) {
    const QString home = "/home/al";
    const QString fallback = "/home/al/Téléchargements/Lumivane"; // a French XDG download folder
    EXPECT_EQ(rootFolderText(std::nullopt, fallback, home), "Default — ~/Téléchargements/Lumivane");
    EXPECT_EQ(rootFolderText(QUrl::fromLocalFile("/mnt/nas/TV"), fallback, home), "/mnt/nas/TV");
    EXPECT_EQ(rootFolderText(QUrl::fromLocalFile("/home/al/Media"), fallback, home), "~/Media");
    // Not a local folder: the store falls back to the default, so the line says so too.
    EXPECT_EQ(rootFolderText(QUrl("smb://nas/media"), fallback, home),
              "Default — ~/Téléchargements/Lumivane");
    EXPECT_EQ(locationNote(fallback, home),
              "Download folder is organized into: Series, Movies, and Incomplete. Default "
              "location will be found in ~/Téléchargements/Lumivane");
    EXPECT_TRUE(workingFolderNote().contains("/Incomplete/"));
}

TEST(SettingsText, TheClearConfirmationCountsAndListsTheDownloads) {
    const auto row = [](const char* name, const char* episode) {
        DownloadRecord r;
        r.showName = name;
        r.episode = episode;
        return r;
    };
    const struct {
        QList<DownloadRecord> rows;
        const char* text;
    } cases[] = {
        {{},
         "Nothing is currently downloading, so nothing will be lost. This wipes Lumivane's "
         "private staging folder — already-sorted series in your Root Folder are not affected."},
        {{row("Severance", "S02E03")},
         "This will cancel and delete 1 in-progress download:\n\n• Severance S02E03\n\n"
         "Already-sorted series in your Root Folder are not affected."},
        {{row("Severance", "S02E03"), row("Dune", "Movie"), row("The Daily Show", "2025.03.12")},
         "This will cancel and delete 3 in-progress downloads:\n\n• Severance S02E03\n"
         "• Dune Movie\n• The Daily Show 2025.03.12\n\n"
         "Already-sorted series in your Root Folder are not affected."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clearConfirmation(c.rows), c.text) << c.rows.size();
}

TEST(SettingsText, TheRatioShowsTwoDigitsAndStoresNoNegative) {
    const struct {
        double value;
        const char* shown;
    } shown[] = {{0, "0.00"}, {1.5, "1.50"}, {2.005, "2.00"}, {10, "10.00"}, {0.126, "0.13"}};
    for (const auto& c : shown)
        EXPECT_EQ(ratioText(c.value), c.shown) << c.value;

    const struct {
        const char* typed;
        std::optional<double> stored;
    } typed[] = {
        {"1.25", 1.25}, {" 2 ", 2.0}, {"-1", 0.0},   {"-0.5", 0.0}, {"0,75", 0.75},
        {"", {}},       {"abc", {}},  {"1.2.3", {}}, {"inf", {}},   {"nan", {}},
    };
    for (const auto& c : typed)
        EXPECT_EQ(parseRatio(c.typed), c.stored) << c.typed;
}
