#!/usr/bin/env python3
"""Prints the tracked figures from Google Benchmark JSON files: medians of five repetitions."""
import json
import sys

# benchmark name (without aggregate suffix) -> (label, which time, unit shown, target text, ok)
FIGURES = [
    ("BM_loadAll", "loadAll, full-size files", "cpu", "ms", "< 30 ms", lambda v: v < 30),
    ("BM_saveShows", "save shows.json (300 series)", "real", "ms", "< 5 ms", lambda v: v < 5),
    ("BM_saveMovies", "save movies.json (200 movies)", "real", "ms", "< 5 ms", lambda v: v < 5),
    ("BM_saveActivity", "save activity.json (500 lines)", "real", "ms", "< 5 ms", lambda v: v < 5),
    ("BM_saveSettings", "save settings.json", "real", "ms", "< 5 ms", lambda v: v < 5),
    ("BM_saveDownloads", "save downloads.json", "real", "ms", "< 5 ms", lambda v: v < 5),
    ("BM_saveHistory", "save history.json (500 rows)", "real", "ms", "< 5 ms", lambda v: v < 5),
    ("analyseTitles", "title analysis throughput", "items", "titles/s", ">= 320,000/s", lambda v: v >= 320000),
    ("checkShow", "checkShow, 600 hits", "cpu", "ms", "< 3 ms", lambda v: v < 3),
    ("BM_TorrentsFifty", "torrents(), 50 torrents, real daemon", "real", "ms", "report", None),
    ("BM_AddMagnet", "add a magnet, real daemon", "real", "ms", "report", None),
    ("BM_followUpPass", "follow-up pass, 50 torrents, CPU", "cpu", "ms", "< 5 ms", lambda v: v < 5),
    ("BM_checkCycle", "check cycle, 100 series, CPU", "cpu", "ms", "< 200 ms", lambda v: v < 200),
    ("BM_refreshCalendar", "refreshCalendar, 50 series, wall", "real", "ms", "report", None),
    ("BM_refreshCalendar", "refreshCalendar, 50 series, CPU", "cpu", "ms", "report", None),
    ("BM_showMainWindowFirst", "show the main window, first time", "real", "ms", "< 150 ms", lambda v: v < 150),
    ("BM_showMainWindowAgain", "show the main window again", "real", "ms", "< 20 ms", lambda v: v < 20),
]

SCALE = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def medians(paths):
    found = {}
    for path in paths:
        with open(path) as f:
            for b in json.load(f)["benchmarks"]:
                if b.get("aggregate_name") != "median":
                    continue
                base = b["run_name"].split("/")[0]
                found[base] = b
    return found


def value(b, which):
    if which == "items":
        return b["items_per_second"]
    scale = SCALE[b.get("time_unit", "ns")]
    return b["real_time" if which == "real" else "cpu_time"] * scale


def main():
    found = medians(sys.argv[1:])
    missed = 0
    print(f"{'figure':42} {'median':>14}  {'target':>12}")
    for key, label, which, unit, target, ok in FIGURES:
        if key not in found:
            print(f"{label:42} {'(not run)':>14}  {target:>12}")
            continue
        v = value(found[key], which)
        shown = f"{v:,.0f} {unit}" if unit == "titles/s" else f"{v:.2f} {unit}"
        verdict = "" if ok is None else ("  ok" if ok(v) else "  MISSED")
        missed += verdict == "  MISSED"
        print(f"{label:42} {shown:>14}  {target:>12}{verdict}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
