#!/usr/bin/env bash
# The Windows leg of the tests: cross-compiles the Qt-free libraries and their
# tests with MinGW-w64 (preset "wine", build/wine) and runs them under Wine
# through CTest, the registry store over Wine's registry. Exits non-zero when
# anything fails.
#
# Needs the Debian packages cmake, make, g++-mingw-w64-x86-64, wine, wine64 and
# googletest (GoogleTest's source, built here with the cross compiler);
# scripts/install-deps.sh test installs them. No X server is needed: Wine runs
# in a throw-away prefix below build/wine with DISPLAY unset.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for tool in cmake ctest make x86_64-w64-mingw32-g++ wine wineserver; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[[ -d /usr/src/googletest ]] || missing+=("/usr/src/googletest")
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "test-wine.sh: missing ${missing[*]} (run scripts/install-deps.sh test)" >&2
    exit 1
fi

# Console programs only: keep Wine away from any display.
unset DISPLAY WAYLAND_DISPLAY

cmake --preset wine
cmake --build --preset wine
ctest --preset wine --timeout 600
