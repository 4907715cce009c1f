#!/usr/bin/env bash
# Checks the layer rules, the formatting and the committed pictures and sounds; builds
# Quibbleton twice (normal, and with AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# the whole test suite in each build; then builds the fuzz targets with clang and runs each
# for a short while (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/check-layers.sh
scripts/check-format.sh
resources/tools/check.sh
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_build() { # folder, extra cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j2
  ctest --test-dir "$dir" --output-on-failure -j2
}
echo "== normal build =="
run_build build
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build =="
run_build build-asan -DQUIB_SANITIZE=ON -DQUIB_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
echo "== fuzz targets (libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer) =="
scripts/fuzz.sh 20
