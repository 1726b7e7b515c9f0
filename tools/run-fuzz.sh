#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given number of seconds each:
#   tools/run-fuzz.sh [build/fuzz] [seconds] [merge|""] [target...]
# Without target names every target built in <build>/fuzz/ runs.
# Each target starts from its committed corpus (fuzz/corpus/<target>/) and first replays its
# saved reproducers (fuzz/findings/<target>/). New inputs go to <build>/corpus/<target>/; with
# "merge" as third argument the inputs that add coverage are then folded, minimised, into the
# committed corpus.
#
# The fuzz build makes every sanitizer report fatal, so the first crash, overread, leak,
# undefined behaviour or timeout stops that target and libFuzzer writes the input to
# <build>/findings/<target>-crash-... . The report is shown in full (only libFuzzer's progress
# lines are left out), the other targets still run, and the script exits 1 at the end. Once the
# fault is fixed, commit the reproducer under fuzz/findings/<target>/ with a name that says what
# it found: the corpus replay tests run it from then on.
set -uo pipefail
build=${1:-build/fuzz}
seconds=${2:-60}
mode=${3:-}
names=("${@:4}")
source_dir=$(cd "$(dirname "$0")/.." && pwd)
findings="$build/findings"
mkdir -p "$findings"
# Stack traces with every report; the fuzz build already makes each report fatal.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
shopt -s nullglob
if [[ ${#names[@]} -gt 0 ]]; then
    targets=()
    for name in "${names[@]}"; do targets+=("$build/fuzz/$name"); done
else
    targets=("$build"/fuzz/fuzz_*)
fi
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "No fuzz targets were built in $build/fuzz." >&2
    exit 1
fi

# libFuzzer's status lines ("#1024 pulse ...", "#37 NEW ...") say nothing about a fault.
without_progress() { grep -Ev '^#[0-9]+[[:space:]]' "$1"; }

failed=()
for target in "${targets[@]}"; do
    [[ -x "$target" && -f "$target" ]] || continue
    name=$(basename "$target")
    corpus="$build/corpus/$name"
    seeds="$source_dir/fuzz/corpus/$name"
    mkdir -p "$corpus" "$seeds"
    log="$findings/$name.log"
    echo "== $name for ${seconds}s"
    reproducers=("$source_dir/fuzz/findings/$name"/*)
    status=0
    if [[ ${#reproducers[@]} -gt 0 ]]; then
        "$target" -rss_limit_mb=2048 -timeout=10 "${reproducers[@]}" >"$log" 2>&1 || status=$?
    fi
    if [[ $status -eq 0 ]]; then
        "$target" "$corpus" "$seeds" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
            -timeout=10 -artifact_prefix="$findings/$name-" -print_final_stats=1 >>"$log" 2>&1 ||
            status=$?
    fi
    if [[ $status -ne 0 ]]; then
        without_progress "$log"
        echo "!! $name failed (exit $status); reproducer and full log in $findings/" >&2
        failed+=("$name")
        continue
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    if [[ $mode == merge ]]; then
        "$target" -merge=1 -max_len=4096 "$seeds" "$corpus" >>"$log" 2>&1 ||
            { without_progress "$log"; failed+=("$name (merge)"); }
        echo "   committed corpus: $(ls "$seeds" | wc -l) files"
    fi
done
if [[ ${#failed[@]} -gt 0 ]]; then
    echo "Fuzzing found faults in: ${failed[*]}" >&2
    exit 1
fi
echo "No faults found."
