#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given number of seconds each.
# A crash, overread, leak or timeout stops the run with the reproducer in build/fuzz/findings.
set -euo pipefail
build=${1:-build/fuzz}
seconds=${2:-60}
findings="$build/findings"
mkdir -p "$findings"
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "No fuzz targets were built in $build/fuzz." >&2
    exit 1
fi
for target in "${targets[@]}"; do
    [[ -x "$target" ]] || continue
    name=$(basename "$target")
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    echo "== $name for ${seconds}s"
    "$target" "$corpus" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
        -timeout=10 -artifact_prefix="$findings/$name-" -print_final_stats=1 2>&1 | tail -n 12
done
