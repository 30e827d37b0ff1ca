#!/usr/bin/env bash
# Runs each libFuzzer harness for a fixed time, one after another, and prints per harness how
# many inputs it ran and whether it found anything.
#
#   fuzz/run-fuzzers.sh [build dir]          (default build-fuzz; `make fuzz` calls this)
#   FUZZ_SECONDS=300   seconds per harness   (default 60)
#   FUZZERS="fuzz_titles fuzz_nyaa"          only these harnesses
#
# The corpus each harness grows is kept in <build>/fuzz-corpus/<harness> between runs; inputs
# that crash, leak or time out land in <build>/fuzz-findings/<harness>/, the full output in
# <build>/fuzz-logs/<harness>.log. Exits non-zero when anything was found.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-fuzz}" && pwd)
seconds=${FUZZ_SECONDS:-60}
harnesses=${FUZZERS:-fuzz_records fuzz_titles fuzz_names fuzz_nyaa fuzz_index_answers fuzz_tmdb fuzz_rpc fuzz_commands}

# The grammar and its yardstick keep pattern caches on purpose; libFuzzer takes their growth
# for a leak and rescans the whole heap after each input, which costs three quarters of the
# speed. Leaks there are still caught by LeakSanitizer when the run ends.
leakChecks() {
    case $1 in
    fuzz_titles) echo 0 ;;
    *) echo 1 ;;
    esac
}

dictionary() {
    case $1 in
    fuzz_records) echo records ;;
    fuzz_titles | fuzz_names) echo titles ;;
    fuzz_nyaa) echo rss ;;
    fuzz_index_answers) echo index-answers ;;
    fuzz_tmdb) echo tmdb ;;
    fuzz_rpc) echo rpc ;;
    fuzz_commands) echo commands ;;
    esac
}

python3 "$here/make-seeds.py" "$here/.." "$build/fuzz-seeds" >/dev/null || exit 2

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

found=0
printf '%-20s %14s %10s  %s\n' harness executions seconds result
for h in $harnesses; do
    corpus=$build/fuzz-corpus/$h
    findings=$build/fuzz-findings/$h
    log=$build/fuzz-logs/$h.log
    mkdir -p "$corpus" "$findings" "$build/fuzz-logs"
    before=$(ls "$findings" | wc -l)
    "$build/bin/$h" -max_total_time="$seconds" -print_final_stats=1 -print_funcs=0 -timeout=10 \
        -detect_leaks="$(leakChecks "$h")" -rss_limit_mb=2048 -dict="$here/dict/$(dictionary "$h").dict" \
        -artifact_prefix="$findings/" "$corpus" "$build/fuzz-seeds/$h" >"$log" 2>&1
    status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ -z "$executions" ]; then
        # No final statistics after a crash: the last progress line counts.
        executions=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
    fi
    elapsed=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | tr -dc '0-9')
    artifacts=$(ls "$findings" | wc -l)
    if [ "$status" -eq 0 ] && [ "$artifacts" -eq "$before" ]; then
        result="nothing found"
    else
        found=1
        newest=$(ls -t "$findings" | head -1)
        reason=$(grep -m1 -oE 'ERROR: [A-Za-z]+: [a-z-]+|runtime error: .*|property broken: .*|ALARM: .*|out-of-memory' "$log")
        result="FOUND (exit $status): ${reason:-see log} -> $findings/$newest"
    fi
    printf '%-20s %14s %10s  %s\n' "$h" "${executions:-?}" "${elapsed:-?}" "$result"
done
exit $found
