#!/usr/bin/env bash
# Builds a Qt benchmark optimised and runs it; by default the registry tree
# view's: showing and expanding CLSID of the generated data set, copying it to
# the clipboard and pasting it below a new key, on the memory and the SQLite
# store, at a quarter and at the full size. docs/benchmarks.md records the
# results.
#
#   scripts/bench-treeview.sh [Google Benchmark options]
#
#   ZANVER_BENCH_BUILD  build folder (default build/release-treeview)
#   ZANVER_BENCH_JOBS   build jobs (default 2)
#   ZANVER_BENCH_PROGRAM  the benchmark (default zanver-treeview-bench; also
#                       zanver-zvtree-bench, zanver-mainwindow-bench)
#   ZANVER_BENCH_GAPS   when set, every stretch of over 40 ms without a chance
#                       for the event loop is printed
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZANVER_BENCH_BUILD:-$root/build/release-treeview}
jobs=${ZANVER_BENCH_JOBS:-2}
cd "$root"

scripts/install-deps.sh test

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZANVER_BUILD_BENCH=ON \
    -DZANVER_BUILD_TESTS=OFF -DZANVER_BUILD_GUI=ON >/dev/null
program=${ZANVER_BENCH_PROGRAM:-zanver-treeview-bench}
cmake --build "$build" -j"$jobs" --target "$program"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/$program" "$@"
