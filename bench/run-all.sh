#!/usr/bin/env bash
# Runs every benchmark program of a build (five repetitions each) and prints, in one table,
# each figure Lumivane tracks from release to release with its target. With FOOTPRINT=1 it
# also runs bench/footprint.sh and bench/footprint-tray.sh (a minute of idle following each; set
# FOOTPRINT_SECONDS to shorten).
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

status=0
for b in "$build"/bin/bench_*; do
  [ -x "$b" ] || continue
  name=$(basename "$b")
  echo "== $name" >&2
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
       --benchmark_out="$out/$name.json" --benchmark_out_format=json >/dev/null || status=1
done

python3 "$here/summarize.py" "$out"/*.json || status=1

if [ "${FOOTPRINT:-0}" = 1 ]; then
  echo
  "$here/footprint.sh" "$build" || status=1
  echo
  "$here/footprint-tray.sh" "$build" || status=1
fi
exit $status
