#!/usr/bin/env bash
# Builds the store benchmark optimised and runs it twice: natively (the memory
# and SQLite stores) and as a Windows program under Wine (the Win32 store over
# Wine's registry). Prints both tables; docs/benchmarks.md records them.
#
#   scripts/bench.sh [native|wine|all]     (default all)
#
#   ZANVER_BENCH_ARGS   extra arguments for both runs (e.g. --scales=0.25,1); see
#                       bench/StoreBench.cpp for the options
#   ZANVER_BENCH_JOBS   build jobs (default 2)
#
# The native build uses the "release" preset (build/release). The Windows build
# goes to build/bench-wine and runs in a throw-away WINEPREFIX there; its data
# set lives below HKEY_CURRENT_USER\Software\ZanverBench, which the benchmark
# deletes when it ends.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
jobs=${ZANVER_BENCH_JOBS:-2}
read -r -a extra <<<"${ZANVER_BENCH_ARGS:-}"
cd "$root"

case "$which" in
    native | wine | all) ;;
    *) echo "usage: $0 [native|wine|all]" >&2; exit 2 ;;
esac

scripts/install-deps.sh test

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

if [[ "$which" != wine ]]; then
    cmake --preset release >/dev/null
    cmake --build build/release -j"$jobs" --target zanver-store-bench
    # The SQLite files go next to the build, on the disk the store would use.
    dir="$root/build/release/bench-data"
    mkdir -p "$dir"
    echo
    echo "== native: SQLite $(pkg-config --modversion sqlite3 2>/dev/null || echo '?')," \
         "$(c++ --version | head -n1)"
    build/release/bench/zanver-store-bench --dir="$dir" "${extra[@]}"
    rmdir "$dir" 2>/dev/null || true
fi

if [[ "$which" != native ]]; then
    build="$root/build/bench-wine"
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZANVER_BUILD_BENCH=ON -DZANVER_BUILD_TESTS=OFF \
        >/dev/null
    cmake --build "$build" -j"$jobs" --target zanver-store-bench
    export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # Setting the prefix up is not part of any measurement.
    wine wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    echo
    echo "== Wine: $(wine --version)"
    status=0
    # Wine's registry is an order of magnitude slower: fewer runs keep the leg
    # to a few minutes (the biggest measurements then run once).
    wine "$build/bench/zanver-store-bench.exe" --repeat=5 --budget=15 "${extra[@]}" || status=$?
    # Stop this prefix's wineserver (and with it the registry it holds).
    wineserver -k 2>/dev/null || true
    exit "$status"
fi
