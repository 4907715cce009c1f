#!/usr/bin/env bash
# Proves that the game's clips are heard: starts a private PulseAudio with a null sink,
# plays every clip through the game's sound player, records the sink's monitor and checks
# that each clip comes back as sound of the clip's own length. Takes about 45 seconds.
#   scripts/check-sound.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target client_tst_soundoutput
QUIB_SOUND_ALL=1 QT_QPA_PLATFORM=offscreen "$build/tests/client_tst_soundoutput"
