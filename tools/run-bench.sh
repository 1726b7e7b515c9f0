#!/usr/bin/env bash
# Runs the benchmarks of a release build: first every Google Benchmark program (micro-
# benchmarks), then the side-by-side program against Qt's model/view, whose Markdown table is
# also kept in <build>/bench/peer-table.md. Extra arguments go to the side-by-side program
# (for example --sizes 10000,100000).
set -euo pipefail
build=${1:-build/release}
shift || true
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
shopt -s nullglob
programs=("$build"/bench/ombrel_bench_*)
if [[ ${#programs[@]} -eq 0 ]]; then
    echo "No benchmarks were built in $build/bench." >&2
    exit 1
fi
peer=""
for program in "${programs[@]}"; do
    [[ -x "$program" ]] || continue
    if [[ "$(basename "$program")" == ombrel_bench_peer ]]; then
        peer="$program"
        continue
    fi
    echo "== $(basename "$program")"
    "$program"
done
if [[ -n "$peer" ]]; then
    echo "== $(basename "$peer")"
    "$peer" "$@" | tee "$build/bench/peer-table.md"
fi
