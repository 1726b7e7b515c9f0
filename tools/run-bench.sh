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
    case "$(basename "$program")" in
        ombrel_bench_peer) peer="$program"; continue ;;
        ombrel_bench_viewer) continue ;;  # below, on a real file
    esac
    echo "== $(basename "$program")"
    "$program"
done
if [[ -n "$peer" ]]; then
    echo "== $(basename "$peer")"
    "$peer" "$@" | tee "$build/bench/peer-table.md"
fi

# The table viewer against Qt's model/view on a real file: flights-200k.json from the npm
# package vega-datasets, fetched once with npm (not committed).
viewer="$build/bench/ombrel_bench_viewer"
if [[ -x "$viewer" ]]; then
    data="$build/bench-data/flights-200k.json"
    if [[ ! -f "$data" ]] && command -v npm >/dev/null; then
        mkdir -p "$build/bench-data"
        (cd "$build/bench-data" && npm pack --silent vega-datasets@2.11.0 >/dev/null &&
         tar xzf vega-datasets-2.11.0.tgz package/data/flights-200k.json &&
         mv package/data/flights-200k.json . && rm -rf package vega-datasets-2.11.0.tgz)
    fi
    if [[ -f "$data" ]]; then
        echo "== $(basename "$viewer")"
        "$viewer" "$data" delay | tee "$build/bench/viewer-table.md"
    else
        echo "== $(basename "$viewer"): skipped, npm could not fetch vega-datasets" >&2
    fi
fi

# A million rows in ombrel_view itself: rows, load time, memory per row and the longest wait
# for an answer from the window while the worker reads (the table is generated, not kept).
view="$build/tools/viewer/ombrel_view"
if [[ -x "$view" ]]; then
    table="$build/bench-data/million.csv"
    mkdir -p "$build/bench-data"
    [[ -f "$table" ]] || bench/viewer/make-table.sh "$table" 1000000
    echo "== ombrel_view --stats (a million rows)"
    "$view" --stats "$table" 2>/dev/null | tee "$build/bench/viewer-million.txt"
fi
