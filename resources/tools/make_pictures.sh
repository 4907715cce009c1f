#!/usr/bin/env bash
# Builds the little QPainter program in tools/paint and lets it paint every picture into
# resources/pictures (PNG at 1x and @2x, and lobby.jpg). Needs: cmake, ninja, Qt 6 (Gui).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$here/../pictures"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake -S "$here/paint" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work" >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$work/paint" "$out"
echo "pictures written to $(cd "$out" && pwd)"
