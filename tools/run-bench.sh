#!/usr/bin/env bash
# Runs every benchmark program of a release build.
set -euo pipefail
build=${1:-build/release}
shopt -s nullglob
programs=("$build"/bench/ombrel_bench_*)
if [[ ${#programs[@]} -eq 0 ]]; then
    echo "No benchmarks were built in $build/bench." >&2
    exit 1
fi
for program in "${programs[@]}"; do
    [[ -x "$program" ]] || continue
    echo "== $(basename "$program")"
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$program"
done
