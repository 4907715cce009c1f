#!/usr/bin/env bash
# Builds Quibbleton (the game and its dedicated host and computer players) and starts a solo game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target quibbleton quibbleton-host quibbleton-bot
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Quibbleton needs a graphical desktop, and this machine has no display (DISPLAY is not set)." >&2
  echo "Start it from a desktop session, or under a virtual one: xvfb-run scripts/run.sh" >&2
  exit 1
fi
exec build/quibbleton "$@"
