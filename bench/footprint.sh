#!/usr/bin/env bash
# Memory and CPU of `lumivane --headless` while it idles, following torrents.
#
#   bench/footprint.sh [build-folder]        (default: build)
#
# A private home holds 200 series, 100 movies and 20 followed torrents; TMDB and the daemon are
# loopback fakes (lumivane_footprint_fixture), the indexes unreachable. After a settling time
# for the start-up (air information and calendar of every series), it watches the process for
# FOOTPRINT_SECONDS (default 60) and prints the resident set (peak and at the end, from
# /proc/<pid>/status) and the CPU used over the window, in percent of one core.
# Targets: resident set under 40 MB, CPU under 1 %.
set -euo pipefail

build=${1:-build}
seconds=${FOOTPRINT_SECONDS:-60}
settle=${FOOTPRINT_SETTLE:-10}
. "$(dirname "$0")/footprint-watch.sh"
prepare_home

env -u XDG_DOWNLOAD_DIR HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$home/no-bus" \
    "$home/bin/lumivane" --headless >"$home/lumivane.out" 2>&1 &
pid=$!
pids+=("$pid")

sleep "$settle"
kill -0 "$pid" 2>/dev/null || { echo "lumivane ended early:" >&2; cat "$home/lumivane.out" >&2; exit 1; }
watch_footprint "lumivane --headless: 200 series, 100 movies, 20 followed torrents; ${seconds} s after ${settle} s of start-up" 40
