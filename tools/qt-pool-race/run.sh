#!/usr/bin/env bash
# Builds QtPoolRace.cpp (Qt only) with ThreadSanitizer and runs it on the offscreen platform,
# without suppressions and then with tools/tsan.supp:
#   tools/qt-pool-race/run.sh [output folder, default build/qt-pool-race]
# The first run shows the reports of Qt's thread pool; the second must show none.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-build/qt-pool-race}
mkdir -p "$out"
g++ -std=c++17 -g -O1 -fPIC -fsanitize=thread $(pkg-config --cflags Qt6Widgets) \
    "$here/QtPoolRace.cpp" -o "$out/qt-pool-race" $(pkg-config --libs Qt6Widgets) || exit 1
run() {
    QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$1" "$out/qt-pool-race" >"$2" 2>&1
    echo "exit $?, $(grep -c 'WARNING: ThreadSanitizer' "$2") reports ($2)"
}
echo -n "Without suppressions: "
run "halt_on_error=0" "$out/unsuppressed.log"
echo -n "With tools/tsan.supp:  "
run "halt_on_error=0:suppressions=$here/../tsan.supp" "$out/suppressed.log"
