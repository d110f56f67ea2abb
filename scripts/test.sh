#!/usr/bin/env bash
# Runs every test: the native build, the Windows build under Wine, and a
# bounded run of each fuzz target. Installs the Debian packages it lacks.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

cmake --preset default
cmake --build --preset default -j"$(nproc)"
ctest --preset default

scripts/test-wine.sh
scripts/fuzz.sh
