#!/bin/sh
# Builds the libFuzzer targets with the "fuzz" preset (clang, address and
# undefined behaviour sanitizers) and runs each for a bounded time, starting
# from the seed corpus in fuzz/corpus/<target>/.
#
#   ZANVER_FUZZ_SECONDS  seconds per target (default 20)
#   ZANVER_FUZZ_JOBS     build jobs (default 2)
#
# New inputs go to build/fuzz/corpus/<target>/, crash inputs to
# build/fuzz/artifacts/; the committed seeds are only read. Exits non-zero
# when a target crashes or fails an invariant.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${ZANVER_FUZZ_SECONDS:-20}
jobs=${ZANVER_FUZZ_JOBS:-2}
build="$root/build/fuzz"
targets="parse_value_text_fuzzer unquote_text_fuzzer parse_key_line_fuzzer"

cd "$root"
cmake --preset fuzz >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j"$jobs" --target $targets

mkdir -p "$build/artifacts"
failed=""
for target in $targets; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== $target: $seconds s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" "$root/fuzz/corpus/$target"; then
        failed="$failed $target"
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing failed:$failed (inputs in $build/artifacts)" >&2
    exit 1
fi
echo "fuzzing passed: $targets"
