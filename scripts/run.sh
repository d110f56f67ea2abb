#!/usr/bin/env bash
# Builds and runs the editor on the default store (or the one --store or
# ZANVER_STORE names); a new default store starts with the bundled
# associations.
#   scripts/run.sh [--store PATH] [FILE-OR-FOLDER]   the editor
#   scripts/run.sh reg ARGUMENTS...                  the command-line tool zanver-reg
#   scripts/run.sh tree [KEY] [--grab FILE.png]      one registry tree view
# File names in the arguments are taken from the folder the script is run in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

(
    cd "$root"
    scripts/install-deps.sh run
    cmake --preset app >/dev/null
    cmake --build --preset app -j"$(nproc)" >/dev/null
)

bin=$root/build/app/src/app
case ${1:-} in
reg)
    shift
    exec "$bin/zanver-reg" "$@"
    ;;
tree)
    shift
    exec "$bin/zanver-treeview" "$@"
    ;;
esac
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "No display: the editor needs a desktop session (DISPLAY or WAYLAND_DISPLAY)," >&2
    echo "or run it under xvfb-run." >&2
    exit 1
fi
exec "$bin/zanver" "$@"
