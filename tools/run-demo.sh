#!/usr/bin/env bash
# Runs the demonstration program from a build folder. Without a display it renders the main
# window to a PNG file and says where it is.
set -euo pipefail
build=${1:-build/release}
shift || true
program="$build/demo/ombrel_demo"
if [[ ! -x "$program" ]]; then
    echo "The demonstration program has not been built ($program is missing)." >&2
    exit 1
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    shot="$(pwd)/build/demo.png"
    mkdir -p "$(dirname "$shot")"
    QT_QPA_PLATFORM=offscreen "$program" --screenshot "$shot" "$@"
else
    exec "$program" "$@"
fi
