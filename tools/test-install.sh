#!/usr/bin/env bash
# Checks the installed package the way a user meets it: installs a build folder into a fresh
# prefix, builds examples/qt-live-grid against it with find_package(Ombrel) and runs it
# headless, then compiles and runs a small program with nothing but pkg-config.
# A sanitizer build passes its sanitizer flags on to both, since its static libraries need
# the sanitizer's run-time.
# Usage: tools/test-install.sh [build-folder]   (default build/asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/asan}
work=build/install-check
prefix="$(pwd)/$work/prefix"

sanitize=$(sed -n 's/^OMBREL_SANITIZE:STRING=//p' "$build/CMakeCache.txt")
case "$sanitize" in
    address) flags="-fsanitize=address,undefined -fno-omit-frame-pointer" ;;
    thread) flags="-fsanitize=thread" ;;
    *) flags="" ;;
esac
shared=$(sed -n 's/^BUILD_SHARED_LIBS:[A-Z]*=//p' "$build/CMakeCache.txt")

rm -rf "$work"
mkdir -p "$work"
step() { echo "== install check: $1"; }

step "install $build into $work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

step "build examples/qt-live-grid with find_package(Ombrel)"
cmake -S examples/qt-live-grid -B "$work/example" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS="$flags" >"$work/example-configure.log"
cmake --build "$work/example"

step "run the example headless"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 "$work/example/qt-live-grid" \
    --screenshot "$work/qt-live-grid.png"
[[ -s "$work/qt-live-grid.png" ]]

step "compile a program with pkg-config"
pcdir=$(dirname "$(find "$prefix" -name ombrel.pc | head -n 1)")
# shellcheck disable=SC2046 # pkg-config's output is a list of words
g++ -std=c++20 $flags tests/install/pkg_config_probe.cpp -o "$work/pkg-config-probe" \
    $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs ombrel)
# pkg-config gives no run path: a shared build's libraries are found through the loader's.
if [[ "$shared" == ON ]]; then
    LD_LIBRARY_PATH="$(PKG_CONFIG_PATH="$pcdir" pkg-config --variable=libdir ombrel)" "$work/pkg-config-probe"
else
    "$work/pkg-config-probe"
fi
step "passed"
