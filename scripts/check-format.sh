#!/usr/bin/env bash
# Fails when a C++ source differs from what .clang-format makes of it, and
# names the files. Fix them with: clang-format -i FILE...
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.h' '*.cpp')
bad=()
for f in "${files[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if ((${#bad[@]})); then
    printf 'not formatted: %s\n' "${bad[@]}"
    echo "format check: ${#bad[@]} of ${#files[@]} files differ"
    exit 1
fi
echo "format check: ${#files[@]} files formatted"
