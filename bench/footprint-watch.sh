# Sourced by the footprint scripts.
#
#   prepare_home    a private $home with a copy of lumivane from $build and the loopback world
#                   of lumivane_footprint_fixture running; $pids collects what to stop at exit
#   watch_footprint <what was measured> <resident-set target in MB>
#                   watches process $pid for $seconds and prints its resident set and CPU
#                   against the targets

prepare_home() {
    for program in lumivane lumivane_footprint_fixture; do
        [ -x "$build/bin/$program" ] || { echo "missing $build/bin/$program (build it first)" >&2; exit 1; }
    done
    home=$(mktemp -d)
    pids=()
    trap cleanup EXIT
    # A copy with no bundled daemon beside it: it starts none and kills no other daemon.
    mkdir -p "$home/bin"
    cp "$build/bin/lumivane" "$home/bin/lumivane"
    "$build/bin/lumivane_footprint_fixture" "$home" >"$home/fixture.out" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do grep -q ready "$home/fixture.out" && break; sleep 0.1; done
    grep -q ready "$home/fixture.out" || { cat "$home/fixture.out" >&2; exit 1; }
}

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$home"
}

kb() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/status"; }
ticks() { sed 's/^.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'; } # utime + stime
mb() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }

watch_footprint() {
    local label=$1 rss_target=$2
    local start_ticks start_ns end_ticks end_ns rss rss_end hwm cpu window_max=0
    start_ticks=$(ticks)
    start_ns=$(date +%s%N)
    for _ in $(seq "$seconds"); do
        sleep 1
        rss=$(kb VmRSS)
        [ "$rss" -gt "$window_max" ] && window_max=$rss
    done
    end_ticks=$(ticks)
    end_ns=$(date +%s%N)
    rss_end=$(kb VmRSS)
    hwm=$(kb VmHWM)
    cpu=$(awk -v t="$((end_ticks - start_ticks))" -v hz="$(getconf CLK_TCK)" -v ns="$((end_ns - start_ns))" \
        'BEGIN { printf "%.2f", 100 * (t / hz) / (ns / 1e9) }')

    echo "$label"
    echo "resident set: peak $(mb "$hwm") MB (VmHWM, start-up included), max in window $(mb "$window_max") MB, at end $(mb "$rss_end") MB"
    echo "cpu: ${cpu} % of one core over the window"
    awk -v hwm="$hwm" -v cpu="$cpu" -v target="$rss_target" 'BEGIN {
        printf "targets: rss < %d MB %s, cpu < 1 %% %s\n", target, (hwm < target * 1024 ? "met" : "MISSED"), (cpu < 1 ? "met" : "MISSED") }'
}
