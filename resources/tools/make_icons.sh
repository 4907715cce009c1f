#!/usr/bin/env bash
# Paints the desktop icon (the game's own icon picture) for the icon theme: hicolor PNGs
# from 16 to 256 pixels and a scalable SVG, into packaging/icons. Needs: cmake, ninja, Qt 6 (Gui).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$here/../../packaging/icons"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake -S "$here/paint" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work" >/dev/null
rm -rf "$out/hicolor"
QT_QPA_PLATFORM=offscreen "$work/paint" --icons "$out"
echo "icons written to $(cd "$out" && pwd)"
