#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ with clang (AddressSanitizer +
# UndefinedBehaviorSanitizer) in build-fuzz and runs each for a while, starting
# from a scratch copy of its committed seed corpus.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     default: 20 seconds, every target
#
# Exits 1 when a target found a crash, a leak or a broken property; the input
# that did it is kept in build-fuzz/findings/. Skips (exit 0) when clang or its
# libFuzzer runtime is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(framing commands host settings playerfiles dispatcher markup web)

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const char *, unsigned long) { return 0; }' \
  >"$probe/probe.cpp"
if ! command -v clang++ >/dev/null ||
  ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  echo "Fuzz targets skipped: clang++ with libFuzzer is not installed (Debian: clang, libclang-rt-dev)."
  exit 0
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_COMPILER=clang++ \
  -DQUIB_FUZZ=ON -DQUIB_BUILD_TESTS=OFF -DQUIB_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j2 --target fuzz_targets

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
findings=$PWD/build-fuzz/findings
failed=()
for t in "${targets[@]}"; do
  work="$probe/$t"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp fuzz/corpus/"$t"/* "$work/corpus/"
  dict=()
  case $t in
  markup) dict=(-dict=fuzz/dict/markup.dict) ;;
  web) dict=(-dict=fuzz/dict/web.dict) ;;
  framing | commands | host | dispatcher) dict=(-dict=fuzz/dict/protocol.dict) ;;
  esac
  printf '%-12s ' "$t"
  if build-fuzz/fuzz/fuzz_"$t" "$work/corpus" "${dict[@]}" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=10 -max_len=8192 -artifact_prefix="$work/artifacts/" \
    -print_final_stats=1 >"$work/log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    echo "ok (${runs:-?} inputs in ${seconds} s)"
  else
    echo "FAILED"
    mkdir -p "$findings"
    for f in "$work"/artifacts/*; do
      if [ -e "$f" ]; then cp "$f" "$findings/$t-$(basename "$f")"; fi
    done
    grep -E 'fuzz check failed|^markup:|ERROR:|SUMMARY:|runtime error|Test unit written' \
      "$work/log" | head -20 || true
    grep -E '^ +#[0-9]+ ' "$work/log" | head -45 || true
    failed+=("$t")
  fi
done
echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzz targets with findings: ${failed[*]} (inputs kept in $findings;" \
    "replay one with build-fuzz/fuzz/fuzz_<target> <file>)"
  exit 1
fi
