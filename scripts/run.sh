#!/usr/bin/env bash
# Builds and runs the program on the default store (or the one --store or
# ZANVER_STORE names). Without arguments it shows the extension .txt and its
# file type; `tree [KEY]` opens the tree view window on a key. A new default
# store starts with the bundled associations.
# File names in the arguments are taken from the folder the script is run in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

(
    cd "$root"
    scripts/install-deps.sh run
    cmake --preset app >/dev/null
    cmake --build --preset app -j"$(nproc)" >/dev/null
)

tool=$root/build/app/src/app/zanver-reg
if [[ ${1:-} == tree ]]; then
    shift
    exec "$root/build/app/src/app/zanver-treeview" "$@"
fi
if [[ $# -eq 0 ]]; then
    "$tool" query 'HKEY_CLASSES_ROOT\.txt'
    exec "$tool" query 'HKEY_CLASSES_ROOT\txtfile' --recursive
fi
exec "$tool" "$@"
