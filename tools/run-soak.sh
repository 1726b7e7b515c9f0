#!/usr/bin/env bash
# The soak test: runs ombrel_soak of a sanitizer build for a number of minutes over many objects
# (live updates on, a worker creating, changing and deleting objects, the program scrolling,
# copying, moving rows, filtering and sorting), and judges the run:
#   tools/run-soak.sh [build/asan] [minutes] [objects]
# It fails when the program exits with an error, when any sanitizer report appears in its
# output, or when resident memory keeps growing after the warm-up: the last figure may exceed
# the one at the end of the warm-up by at most SOAK_GROWTH_PERCENT (default 10) percent.
# The warm-up (SOAK_WARMUP_MINUTES, default 3) covers the load of the objects and the
# AddressSanitizer quarantine filling up, which hold freed memory on purpose.
set -uo pipefail
build=${1:-build/asan}
minutes=${2:-10}
objects=${3:-1000000}
warmup=${SOAK_WARMUP_MINUTES:-3}
allowed_growth=${SOAK_GROWTH_PERCENT:-10}
program="$build/demo/ombrel_soak"
if [[ ! -x "$program" ]]; then
    echo "The soak program has not been built ($program is missing)." >&2
    exit 1
fi
if (( minutes <= warmup )); then
    echo "A soak of $minutes minutes ends within its warm-up of $warmup minutes." >&2
    exit 1
fi
log="$build/soak.log"
echo "Soak: $objects objects for $minutes minutes; log in $log"
QT_QPA_PLATFORM=offscreen \
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:suppressions=$(dirname "$0")/tsan.supp} \
    "$program" --objects "$objects" --quit-after $((minutes * 60)) 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

failed=0
if [[ $status -ne 0 ]]; then
    echo "FAIL: the soak program exited with $status" >&2
    failed=1
fi
if grep -Eq 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|WARNING: ThreadSanitizer' "$log"; then
    echo "FAIL: sanitizer reports in $log" >&2
    failed=1
fi

# "soak at 4.0 min: resident 812 MB; ..." once a minute.
mapfile -t samples < <(sed -nE 's/^soak at ([0-9.]+) min: resident ([0-9]+) MB.*/\1 \2/p' "$log")
baseline=""
last=""
for sample in "${samples[@]}"; do
    read -r minute resident <<<"$sample"
    if [[ -z $baseline ]] && awk -v m="$minute" -v w="$warmup" 'BEGIN { exit !(m >= w) }'; then
        baseline=$resident
    fi
    last=$resident
done
if [[ -z $baseline || -z $last ]]; then
    echo "FAIL: no resident memory figure after the warm-up in $log" >&2
    failed=1
else
    limit=$((baseline + baseline * allowed_growth / 100))
    echo "Resident memory: $baseline MB after the warm-up, $last MB at the end (limit $limit MB)"
    if (( last > limit )); then
        echo "FAIL: resident memory kept growing after the warm-up" >&2
        failed=1
    fi
fi
if [[ $failed -eq 0 ]]; then
    echo "Soak passed."
fi
exit $failed
