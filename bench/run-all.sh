#!/usr/bin/env bash
# Runs every benchmark program of a build and prints medians (repetitions of each).
set -euo pipefail
build=${1:-build}
status=0
for b in "$build"/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
       --benchmark_display_aggregates_only=true | grep -E '_median|^-|Benchmark' || status=1
done
exit $status
