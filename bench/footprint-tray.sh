#!/usr/bin/env bash
# Memory and CPU of the tray application idling with its main window hidden after having been
# shown once — the state it spends its days in.
#
#   bench/footprint-tray.sh [build-folder]        (default: build)
#
# The world is footprint.sh's (200 series, 100 movies, 20 followed torrents, loopback fakes),
# on a virtual X server with a tray (Xvfb and trayer; xdotool and xwininfo drive it: Debian
# packages xvfb, trayer, xdotool, x11-utils). The window is shown through a lumivane://show
# start, hidden again by a click on the tray icon, and the process is then watched for
# FOOTPRINT_SECONDS (default 60). Targets: resident set under 80 MB, CPU under 1 %.
set -euo pipefail

build=${1:-build}
seconds=${FOOTPRINT_SECONDS:-60}
settle=${FOOTPRINT_SETTLE:-10}
for tool in Xvfb trayer xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "footprint-tray.sh needs $tool (apt-get install xvfb trayer xdotool x11-utils)" >&2; exit 1; }
done
. "$(dirname "$0")/footprint-watch.sh"
prepare_home

# A 1920 × 1080 screen with a tray panel along the top right.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$home/display" 2>"$home/xvfb.out" &
pids+=($!)
for _ in $(seq 100); do [ -s "$home/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$home/display")"
trayer --edge top --align right --widthtype request --height 28 --transparent false >"$home/trayer.out" 2>&1 &
pids+=($!)
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 28, 1920, 1052"

# env replaces itself with lumivane, so $! is lumivane's process.
run=(env -u XDG_DOWNLOAD_DIR -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" XDG_DATA_HOME="$home/data"
     XDG_CONFIG_HOME="$home/config" DBUS_SESSION_BUS_ADDRESS="unix:path=$home/no-bus" "$home/bin/lumivane")
"${run[@]}" >"$home/lumivane.out" 2>&1 &
pid=$!
pids+=("$pid")

window_state() { xwininfo -id "$1" | awk '/Map State/ { print $3 }'; }

sleep "$settle"
kill -0 "$pid" 2>/dev/null || { echo "lumivane ended early:" >&2; cat "$home/lumivane.out" >&2; exit 1; }
"${run[@]}" lumivane://show >/dev/null 2>&1 || { echo "the hand-off failed" >&2; exit 1; }
sleep 1
window=$(xwininfo -root -tree | awk '/760x520/ { print $1; exit }')
[ -n "$window" ] && [ "$(window_state "$window")" = IsViewable ] || { echo "the window did not show" >&2; exit 1; }
xdotool mousemove 1908 14 click 1 # the tray icon: the panel's only one, at its right end
sleep 1
[ "$(window_state "$window")" = IsUnMapped ] || { echo "a click on the icon did not hide the window" >&2; exit 1; }
sleep 2

watch_footprint "lumivane (tray, window shown once then hidden): 200 series, 100 movies, 20 followed torrents; ${seconds} s" 80
