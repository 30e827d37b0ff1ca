#!/usr/bin/env python3
"""Plants known faults into the code one at a time, builds the test binary that should notice,
runs it, restores the file, and prints one table row per fault: the suite must fail on every
one. Run from the repository root after a normal build (`make build`). Arguments, if any, name the
test binaries whose faults to plant (e.g. lumivane_ui_tests); without them, every fault."""
import subprocess, sys
faults = [
 ("stall re-announce 600 s -> 900 s", "src/store/StallRescuer.cpp", "constexpr double kReannounceOtherwise = 600;", "constexpr double kReannounceOtherwise = 900;", "lumivane_store_tests"),
 ("stall switch 300 s -> 600 s", "src/store/StallRescuer.cpp", "constexpr double kSwitchNoSeeds = 300;", "constexpr double kSwitchNoSeeds = 600;", "lumivane_store_tests"),
 ("sorter overwrites an existing file", "src/engine/EpisodeSorter.cpp", "QString EpisodeSorter::uniqueDestination(const QString& wanted) {\n    if (!occupied(wanted))", "QString EpisodeSorter::uniqueDestination(const QString& wanted) {\n    if (true)", "lumivane_engine_tests"),
 ("unchecked magnet hash accepted", "src/search/Magnet.cpp", "bool isWellFormedInfoHash(QStringView hash) {\n", "bool isWellFormedInfoHash(QStringView hash) {\n    return true;\n", "lumivane_search_tests"),
 ("S01E105 read back as S01E10", "src/model/Show.cpp", r'QStringLiteral(R"([Ss](\d{1,2})[Ee](\d{1,3})(?!\d))")', r'QStringLiteral(R"([Ss](\d{1,2})[Ee](\d{1,2}))")', "lumivane_search_tests"),
 ("series subscribe switch does nothing", "src/ui/series/ShowsView.cpp", "        m_watchlist.operations.setSubscribed(id,\n                                             !index.data(ShowListModel::SubscribedRole).toBool());", "        (void)id;", "lumivane_ui_tests"),
 ("a late series lookup overwrites the newer one", "src/present/AddShowModel.cpp", "        if (!self || m_searchToken != token)\n            co_return;\n        m_lookup.publishSeries", "        if (!self)\n            co_return;\n        m_lookup.publishSeries", "lumivane_present_tests"),
 ("another series' episode search lands in the open drawer", "src/present/EpisodeDrawerModel.cpp", "    if (showID != m_showID)\n        return;", "    if (false)\n        return;", "lumivane_present_tests"),
 ("a saved download's line loses its colour", "src/present/EpisodeDrawerTexts.cpp", "Tone::done : Tone::quiet", "Tone::quiet : Tone::quiet", "lumivane_present_tests"),
 ("a tap on another application's notice counts", "src/app/FreedesktopNotifier.cpp", "    if (it == m_open.cend() || action != QStringLiteral(\"default\"))\n        return;\n    handleNoticeClick(it.value(), m_openUrl, m_onTap);", "    if (it == m_open.cend() || action != QStringLiteral(\"default\")) {\n        if (m_onTap) m_onTap();\n        return;\n    }\n    handleNoticeClick(it.value(), m_openUrl, m_onTap);", "lumivane_app_tests"),
 ("seeding limit not sent when the settings keeper says it moved", "src/store/DaemonSettings.cpp", "this, [this] { applySeedRatio(5); });", "this, [] {});", "lumivane_store_tests"),
 ("a new interval is not announced", "src/store/SettingsKeeper.cpp", "    if (intervalMoved)\n        Q_EMIT checkIntervalChanged();", "    if (false && intervalMoved)\n        Q_EMIT checkIntervalChanged();", "lumivane_store_tests"),
 ("a settings change is not saved", "src/store/WatchlistStore.cpp", "        Q_EMIT settingsChanged();\n        m_recordFiles.save(RecordFiles::File::settings);", "        Q_EMIT settingsChanged();", "lumivane_store_tests"),
 ("a downloaded episode does not ask for fresh air information", "src/store/LibraryFiler.cpp", "            show->airInfoRefreshedAt = Timestamp::distantPast(); // refresh at the next cycle\n", "", "lumivane_store_tests"),
 ("a filed episode's history row is not saved", "src/store/LibraryFiler.cpp", "    m_records.edited(Part::history);\n    m_records.edited(Part::shows);\n    return failure", "    m_records.publish(Part::history);\n    m_records.edited(Part::shows);\n    return failure", "lumivane_store_tests"),
 ("the calendar file is never written", "src/store/CalendarKeeper.cpp", "        m_files.saveCalendar(CalendarFeed::render(m_events, m_clock.now()));", "        (void)0;", "lumivane_store_tests"),
 ("a removed series stays in the calendar file", "src/store/CalendarKeeper.cpp", "e.showID == showID; }) > 0)\n        publish();", "e.showID == showID; }) > 0)\n        Q_EMIT eventsChanged();", "lumivane_store_tests"),
 ("a hidden list repaints anyway (shared row model)", "src/present/KeyedRowModel.h", "        if (m_live)\n            refresh();", "        if (true)\n            refresh();", "lumivane_present_tests"),
 ("a download removed while it waits for the library stays counted", "src/store/DownloadFollower.cpp", "    m_records.save(Part::downloads);\n    m_filer.forget(hash);\n", "    m_records.save(Part::downloads);\n", "lumivane_e2e_tests"),
]
only = set(sys.argv[1:])
for name, path, old, new, target in faults:
    if only and target not in only:
        continue
    src = open(path).read()
    if old not in src:
        print(f"| {name} | PATTERN NOT FOUND |", flush=True); continue
    open(path, "w").write(src.replace(old, new, 1))
    try:
        b = subprocess.run(["cmake", "--build", "build", "-j2", "--target", target], capture_output=True, text=True)
        if b.returncode != 0:
            print(f"| {name} | build failed |", flush=True); continue
        r = subprocess.run([f"build/bin/{target}"], capture_output=True, text=True, timeout=900)
        failed = sorted({l.split("] ",1)[1].split(" (")[0].split(",")[0] for l in r.stdout.splitlines() if l.startswith("[  FAILED  ]") and "listed below" not in l and " FAILED TEST" not in l})
        print(f"| {name} | {target}: {'; '.join(failed) if failed else 'NOT CAUGHT'} |", flush=True)
    finally:
        open(path, "w").write(src)
