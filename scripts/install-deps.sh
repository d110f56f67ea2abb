#!/usr/bin/env bash
# Installs the Debian packages that a task needs and that are missing.
# Usage: scripts/install-deps.sh run|test
set -euo pipefail

run_packages=(cmake make g++ pkg-config libsqlite3-dev qt6-base-dev qt6-qpa-plugins fonts-dejavu-core)
test_packages=("${run_packages[@]}" libgtest-dev libgmock-dev googletest libbenchmark-dev
               g++-mingw-w64-x86-64 wine wine64 clang libclang-rt-14-dev)

case "${1:-}" in
    run) wanted=("${run_packages[@]}") ;;
    test) wanted=("${test_packages[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing Debian packages: ${missing[*]}" >&2
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
