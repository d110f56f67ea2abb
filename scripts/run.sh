#!/usr/bin/env bash
# Builds and runs the program on the default store (or the one --store or
# ZANVER_STORE names). Without arguments it shows the classes root.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset app >/dev/null
cmake --build --preset app -j"$(nproc)" >/dev/null

if [[ $# -eq 0 ]]; then
    set -- query HKEY_CLASSES_ROOT
fi
exec build/app/src/app/zanver-reg "$@"
