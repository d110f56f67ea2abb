#!/usr/bin/env bash
# Builds the registry file benchmark optimised and runs it: our import of a
# generated "Windows Registry Editor Version 5.00" file into a new SQLite store
# and our export of HKEY_CLASSES_ROOT, side by side with `wine regedit /s` and
# `wine regedit /e` on the same file, at three sizes of the data set.
# docs/benchmarks.md records the results.
#
#   scripts/bench-regfile.sh [options of zanver-regfile-bench]
#
#   ZANVER_BENCH_BUILD  build folder (default build/release)
#   ZANVER_BENCH_JOBS   build jobs (default 2)
#
# The files, SQLite stores and Wine prefixes go to <build>/regfile-bench and
# are removed after each size (the prefix template stays for inspection).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZANVER_BENCH_BUILD:-$root/build/release}
jobs=${ZANVER_BENCH_JOBS:-2}
cd "$root"

scripts/install-deps.sh test

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== SQLite $(pkg-config --modversion sqlite3 2>/dev/null || echo '?'), $(c++ --version | head -n1), $(wine --version 2>/dev/null || echo 'no Wine')"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZANVER_BUILD_BENCH=ON \
    -DZANVER_BUILD_TESTS=OFF -DZANVER_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target zanver-regfile-bench

# Wine's regedit runs without a display.
unset DISPLAY WAYLAND_DISPLAY
"$build/bench/zanver-regfile-bench" --dir="$build/regfile-bench" "$@"
